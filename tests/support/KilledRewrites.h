#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>

//! What SIGKILL left behind over many rounds of one kind of rewrite.
struct KilledRewrites {
    int rounds = 0;
    int killedInside = 0;   // rounds whose kill landed while a rewrite was under way
    int sawOld = 0;         // rounds that left exactly the old content
    int sawNew = 0;         // rounds that left exactly the new content
    int broken = 0;         // rounds that left anything else, or no file
    int leftovers = 0;      // stray files (temporaries) found beside the file afterwards
    QByteArray firstBroken; // the first content that was neither

    //! One line for the test's output with the figures above.
    std::string Summary() const;
};

//! Kills a child process with SIGKILL at random moments while it rewrites `path` back and
//! forth with `rewrite(true)` (to the new content) and `rewrite(false)` (back to the old),
//! and after each kill compares the file with both contents. The contents are taken by
//! running the two rewrites once here first; the delays span up to four rewrites, so kills land
//! in every phase of one. Stray files beside `path` are counted and removed. POSIX only.
KilledRewrites KillDuringRewrites(const QString& path, const std::function<void(bool)>& rewrite,
                                  int rounds);
