#include "encryptedfile.h"

#include "datacenterlog.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace encryptedfile
{

namespace
{

constexpr int keySize = 32;
constexpr int headerSize = 6 + saltSize + nonceSize;

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

const unsigned char *bytesOf(const QByteArray &array)
{
    return reinterpret_cast<const unsigned char *>(array.constData());
}

// AES-256-GCM over input with the header as additional data. Encrypting
// fills *tag; decrypting checks it.
bool runGcm(bool encrypting, const unsigned char *key, const QByteArray &header,
            const QByteArray &nonce, const QByteArray &input, QByteArray *output, QByteArray *tag)
{
    const int enc = encrypting ? 1 : 0;
    QByteArray result(input.size(), '\0');
    unsigned char *out = reinterpret_cast<unsigned char *>(result.data());
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    EVP_CIPHER_CTX *cipher = context.get();
    int length = 0;
    int finalLength = 0;
    const bool ok =
        cipher &&
        EVP_CipherInit_ex(cipher, EVP_aes_256_gcm(), nullptr, nullptr, nullptr, enc) == 1 &&
        EVP_CIPHER_CTX_ctrl(cipher, EVP_CTRL_GCM_SET_IVLEN, nonceSize, nullptr) == 1 &&
        EVP_CipherInit_ex(cipher, nullptr, nullptr, key, bytesOf(nonce), enc) == 1 &&
        EVP_CipherUpdate(cipher, nullptr, &length, bytesOf(header), header.size()) == 1 &&
        EVP_CipherUpdate(cipher, out, &length, bytesOf(input), input.size()) == 1 &&
        (encrypting ||
         EVP_CIPHER_CTX_ctrl(cipher, EVP_CTRL_GCM_SET_TAG, tagSize, tag->data()) == 1) &&
        EVP_CipherFinal_ex(cipher, out + length, &finalLength) == 1 &&
        (!encrypting ||
         EVP_CIPHER_CTX_ctrl(cipher, EVP_CTRL_GCM_GET_TAG, tagSize, tag->data()) == 1) &&
        length + finalLength == input.size();
    if (ok)
        *output = result;
    return ok;
}

} // namespace

QByteArray magic()
{
    return QByteArrayLiteral("LWENC1");
}

QByteArray deriveKey(const QByteArray &secret, const QByteArray &salt)
{
    QByteArray key(keySize, '\0');
    if (PKCS5_PBKDF2_HMAC(secret.constData(), secret.size(), bytesOf(salt), salt.size(),
                          keyIterations, EVP_sha256(), keySize,
                          reinterpret_cast<unsigned char *>(key.data())) != 1) {
        qCDebug(lcDataCenter) << "key derivation failed";
        return {};
    }
    return key;
}

QByteArray saltOf(const QByteArray &file)
{
    if (file.size() < headerSize + tagSize || !file.startsWith(magic()))
        return {};
    return file.mid(6, saltSize);
}

QByteArray encrypt(const QByteArray &plain, const QByteArray &secret)
{
    if (plain.size() > maxPlainSize) {
        qCDebug(lcDataCenter) << "settings too large to encrypt:" << plain.size();
        return {};
    }
    QByteArray salt(saltSize, '\0');
    QByteArray nonce(nonceSize, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(salt.data()), saltSize) != 1 ||
        RAND_bytes(reinterpret_cast<unsigned char *>(nonce.data()), nonceSize) != 1) {
        qCDebug(lcDataCenter) << "no random bytes for the encrypted file";
        return {};
    }
    QByteArray key = deriveKey(secret, salt);
    const QByteArray file = key.isEmpty() ? QByteArray() : sealWithKey(plain, key, salt, nonce);
    OPENSSL_cleanse(key.data(), size_t(key.size()));
    return file;
}

QByteArray sealWithKey(const QByteArray &plain, const QByteArray &key, const QByteArray &salt,
                       const QByteArray &nonce)
{
    if (plain.size() > maxPlainSize || key.size() != keySize || salt.size() != saltSize ||
        nonce.size() != nonceSize) {
        qCDebug(lcDataCenter) << "cannot encrypt: bad sizes";
        return {};
    }
    const QByteArray header = magic() + salt + nonce;
    QByteArray cipher;
    QByteArray tag(tagSize, '\0');
    if (!runGcm(true, bytesOf(key), header, nonce, plain, &cipher, &tag)) {
        qCDebug(lcDataCenter) << "encryption failed";
        return {};
    }
    return header + cipher + tag;
}

bool decrypt(const QByteArray &file, const QByteArray &secret, QByteArray *plain)
{
    plain->clear();
    const QByteArray salt = saltOf(file);
    if (salt.isEmpty()) {
        qCDebug(lcDataCenter) << "not an encrypted settings file (too short or another magic)";
        return false;
    }
    QByteArray key = deriveKey(secret, salt);
    const bool ok = !key.isEmpty() && openWithKey(file, key, plain);
    OPENSSL_cleanse(key.data(), size_t(key.size()));
    return ok;
}

bool openWithKey(const QByteArray &file, const QByteArray &key, QByteArray *plain)
{
    plain->clear();
    if (file.size() < headerSize + tagSize || !file.startsWith(magic()) || key.size() != keySize) {
        qCDebug(lcDataCenter) << "not an encrypted settings file (too short or another magic)";
        return false;
    }
    const QByteArray header = file.left(headerSize);
    const QByteArray nonce = file.mid(6 + saltSize, nonceSize);
    const QByteArray cipher = file.mid(headerSize, file.size() - headerSize - tagSize);
    QByteArray tag = file.right(tagSize);
    QByteArray result;
    if (!runGcm(false, bytesOf(key), header, nonce, cipher, &result, &tag)) {
        qCDebug(lcDataCenter) << "encrypted file damaged, tampered with or of another secret";
        return false;
    }
    *plain = result;
    return true;
}

QByteArray encodeSettings(const QVariantMap &settings)
{
    return QJsonDocument(QJsonObject::fromVariantMap(settings)).toJson(QJsonDocument::Compact);
}

QVariantMap decodeSettings(const QByteArray &plain)
{
    const QJsonDocument document = QJsonDocument::fromJson(plain);
    if (!document.isObject()) {
        qCDebug(lcDataCenter) << "encrypted settings hold no JSON object";
        return {};
    }
    return document.object().toVariantMap();
}

} // namespace encryptedfile
