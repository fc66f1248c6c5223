// The encrypted settings file and the settings it holds. The key is derived once
// for a fixed secret and salt (a derivation takes a hundred thousand rounds); the
// seeds are files sealed with it. What must hold: a file that opens seals again,
// with its own salt and nonce, to exactly the same bytes, and settings that decode
// encode to a text that decodes to the same settings. The input is also read as
// the settings' plaintext directly.
#include "fuzzinput.h"

#include "formats/encryptedfile.h"

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

void checkSettings(const QByteArray &plain)
{
    const QVariantMap settings = encryptedfile::decodeSettings(plain);
    if (settings.isEmpty())
        return;
    const QByteArray written = encryptedfile::encodeSettings(settings);
    if (encryptedfile::encodeSettings(encryptedfile::decodeSettings(written)) != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QByteArray salt(encryptedfile::saltSize, 's');
    static const QByteArray key = encryptedfile::deriveKey(QByteArrayLiteral("fuzz"), salt);
    const QByteArray file = fuzzBytes(data, size);
    checkSettings(file);

    QByteArray plain;
    if (!encryptedfile::openWithKey(file, key, &plain))
        return 0;
    const QByteArray nonce = file.mid(6 + encryptedfile::saltSize, encryptedfile::nonceSize);
    if (encryptedfile::sealWithKey(plain, key, encryptedfile::saltOf(file), nonce) != file)
        std::abort();
    checkSettings(plain);
    return 0;
}
