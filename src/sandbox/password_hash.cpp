#include "sandbox/password_hash.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <array>

namespace quill {

namespace {

constexpr QLatin1StringView kScheme("{SSHA512}");
constexpr qsizetype kDigestSize = 64;
constexpr qsizetype kSaltSize = 8;

QByteArray digest(const QString& password, const QByteArray& salt) {
  QCryptographicHash hash(QCryptographicHash::Sha512);
  hash.addData(password.toUtf8());
  hash.addData(salt);
  return hash.result();
}

}  // namespace

QString hashPassword(const QString& password) {
  std::array<quint32, 2> random{};
  QRandomGenerator::system()->fillRange(random.data(), random.size());
  const QByteArray salt(reinterpret_cast<const char*>(random.data()), kSaltSize);
  return kScheme + QString::fromLatin1((digest(password, salt) + salt).toBase64());
}

bool verifyPassword(const QString& stored, const QString& password) {
  if (!stored.startsWith(kScheme)) return false;
  const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
      stored.mid(kScheme.size()).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded || decoded.decoded.size() <= kDigestSize) return false;
  const QByteArray expected = decoded.decoded.left(kDigestSize);
  const QByteArray actual = digest(password, decoded.decoded.mid(kDigestSize));
  // Compare every byte, so the time taken does not tell how much matched.
  unsigned char difference = 0;
  for (qsizetype i = 0; i < kDigestSize; ++i) difference |= expected[i] ^ actual[i];
  return difference == 0;
}

}  // namespace quill
