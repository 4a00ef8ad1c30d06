#include "KilledRewrites.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <optional>
#include <random>
#include <thread>

#include <csignal>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Nothing when there is no file.
std::optional<QByteArray> Content(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QStringList Neighbours(const QString& path)
{
    const QFileInfo info(path);
    QStringList names = info.dir().entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(info.fileName());
    return names;
}

// Shared with the child: whether it runs, is inside a rewrite, and how many it finished.
struct Progress {
    std::atomic<int> started{0};
    std::atomic<int> inside{0};
    std::atomic<int> done{0};
};

} // namespace

std::string KilledRewrites::Summary() const
{
    return QString::asprintf("%d kills, %d inside a rewrite: %d old, %d new, %d broken; %d stray "
                             "temporary files",
                             rounds, killedInside, sawOld, sawNew, broken, leftovers)
        .toStdString();
}

KilledRewrites KillDuringRewrites(const QString& path, const std::function<void(bool)>& rewrite,
                                  int rounds)
{
    KilledRewrites result;
    const QStringList before = Neighbours(path);
    QElapsedTimer timer;
    timer.start();
    rewrite(true);
    const std::optional<QByteArray> newContent = Content(path);
    rewrite(false);
    const std::optional<QByteArray> oldContent = Content(path);
    const qint64 cycleUs = std::max<qint64>(timer.nsecsElapsed() / 1000, 50);
    if (!newContent || !oldContent || *oldContent == *newContent)
        return result; // the caller asserts on sawOld/sawNew and sees nothing was tested

    void* shared = ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return result;
    auto* progress = new (shared) Progress;
    std::mt19937 random(20261209);
    // The kill falls in the first rewrite (old to new) or the second (back to old), at a
    // random point of it. Counting from the child's own progress keeps both halves hit
    // however slowly a loaded machine starts and runs the child.
    std::uniform_int_distribution<int> rewritesBefore(0, 1);
    std::uniform_int_distribution<qint64> delayUs(0, cycleUs);

    for (int i = 0; i < rounds; ++i) {
        progress->started = 0;
        progress->inside = 0;
        progress->done = 0;
        const pid_t child = ::fork();
        if (child == 0) {
            // Only file work here: the parent's threads do not exist in the child.
            progress->started = 1;
            try {
                for (bool toNew = true;; toNew = !toNew) {
                    progress->inside = 1;
                    rewrite(toNew);
                    progress->inside = 0;
                    ++progress->done;
                }
            } catch (...) {
            }
            ::_exit(3);
        }
        if (child < 0)
            break;
        const int finished = rewritesBefore(random);
        QElapsedTimer waited;
        waited.start();
        while (!(progress->started && progress->done >= finished) && waited.elapsed() < 5000)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ++result.rounds;
        if (progress->inside)
            ++result.killedInside;
        const std::optional<QByteArray> now = Content(path);
        if (now == oldContent) {
            ++result.sawOld;
        } else if (now == newContent) {
            ++result.sawNew;
        } else {
            if (!result.broken)
                result.firstBroken = now.value_or("(no file)");
            ++result.broken;
        }
        const QFileInfo info(path);
        for (const QString& name : Neighbours(path)) {
            if (before.contains(name))
                continue;
            ++result.leftovers;
            QFile::remove(info.dir().filePath(name));
        }
    }
    progress->~Progress();
    ::munmap(shared, sizeof(Progress));
    return result;
}
