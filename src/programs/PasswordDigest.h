#pragma once

#include <QString>

//! The stored form of the lock password: "pbkdf2-sha256$<iterations>$<salt>$<hash>" with
//! salt and hash in base64. A stored value without that prefix is a plain password from an
//! older settings file; it still opens the lock and is replaced by its digest when saved.
class PasswordDigest {
public:
    //! About 50 ms per check on the machines the program runs on.
    static constexpr int Iterations = 10000;

    //! A digest with a fresh random salt; empty for an empty password (no password).
    static QString Make(const QString& password, int iterations = Iterations);
    static bool IsDigest(const QString& stored);
    //! Whether `entry` is the password `stored` holds, compared in constant time.
    //! An empty entry never matches; a malformed digest matches nothing.
    static bool Matches(const QString& stored, const QString& entry);
};
