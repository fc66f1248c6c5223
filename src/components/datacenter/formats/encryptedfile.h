#pragma once
// The encrypted settings file: AES-256-GCM, a key derived from an application
// secret with PBKDF2-HMAC-SHA256.
//
// Layout (all lengths in bytes):
//   "LWENC1" (6) | salt (16) | nonce (12) | ciphertext (n) | tag (16)
// The first 34 bytes (magic, salt, nonce) are authenticated as additional
// data, so any change anywhere in the file makes decryption fail. Salt and
// nonce are fresh random bytes for every file written.

#include <QByteArray>
#include <QVariantMap>

namespace encryptedfile
{

constexpr int saltSize = 16;
constexpr int nonceSize = 12;
constexpr int tagSize = 16;
constexpr int keyIterations = 100000;
// Larger plaintexts are refused; settings are small.
constexpr int maxPlainSize = 16 * 1024 * 1024;

QByteArray magic();
// The whole file for these plaintext bytes; empty when encryption failed.
QByteArray encrypt(const QByteArray &plain, const QByteArray &secret);
// The plaintext; false (with a log line) for a short, damaged or tampered
// file, another magic or the wrong secret.
bool decrypt(const QByteArray &file, const QByteArray &secret, QByteArray *plain);

// The steps of the two above, for a key derived once: the 32-byte key of a secret
// and a salt (empty when derivation failed), the salt a file names (empty for a
// short file or another magic), the file of a plaintext under that key with this
// salt and nonce, and the plaintext of a file under that key.
QByteArray deriveKey(const QByteArray &secret, const QByteArray &salt);
QByteArray saltOf(const QByteArray &file);
QByteArray sealWithKey(const QByteArray &plain, const QByteArray &key, const QByteArray &salt,
                       const QByteArray &nonce);
bool openWithKey(const QByteArray &file, const QByteArray &key, QByteArray *plain);

// The settings as plaintext (a compact JSON object) and back; decodeSettings
// gives an empty map for anything that is not a JSON object.
QByteArray encodeSettings(const QVariantMap &settings);
QVariantMap decodeSettings(const QByteArray &plain);

} // namespace encryptedfile
