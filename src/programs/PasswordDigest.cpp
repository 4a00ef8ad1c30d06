#include "programs/PasswordDigest.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace {

const QString kPrefix = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
// A hand-edited count far above ours would freeze the window for minutes at each check.
constexpr int kMostIterations = PasswordDigest::Iterations * 20;

QByteArray Derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, kHashBytes);
}

bool SameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

QByteArray FromBase64(const QString& text)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

} // namespace

QString PasswordDigest::Make(const QString& password, int iterations)
{
    if (password.isEmpty())
        return {};
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()),
                                          kSaltBytes / sizeof(quint32));
    return QStringLiteral("%1$%2$%3$%4")
        .arg(kPrefix)
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(Derive(password, salt, iterations).toBase64()));
}

bool PasswordDigest::IsDigest(const QString& stored)
{
    return stored.startsWith(kPrefix + u'$');
}

bool PasswordDigest::Matches(const QString& stored, const QString& entry)
{
    if (entry.isEmpty() || stored.isEmpty())
        return false;
    if (!IsDigest(stored))
        return SameBytes(stored.toUtf8(), entry.toUtf8());
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    const QByteArray salt = FromBase64(parts[2]);
    const QByteArray hash = FromBase64(parts[3]);
    if (!ok || iterations < 1 || iterations > kMostIterations || salt.isEmpty() ||
        hash.size() != kHashBytes)
        return false;
    return SameBytes(Derive(entry, salt, iterations), hash);
}
