// Any bytes as a grid-backed list file (memorandum, timings, startup and blocked programs):
// reading never crashes, every record has the layout's fields, and writing what was read
// settles after one round: the second rewrite reads back exactly as the first. The file layer
// (reads, atomic rewrites, refusals) has tests of its own; here the bytes stay in memory.
#include "FuzzSupport.h"

#include "core/ListFile.h"
#include "platform/linux/QtAnsiCodePage.h"
#include "support/FakeUi.h"

namespace {

void Settles(const ListFile& list, const QByteArray& bytes, int fields)
{
    const auto first = list.Parse(bytes);
    for (const auto& record : first)
        fuzz::check(record.size() == fields);
    const auto once = list.Parse(list.Serialize(first));
    fuzz::check(once.size() <= first.size());
    fuzz::check(list.Parse(list.Serialize(once)) == once);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static platform::QtAnsiCodePage ansi;
    // Reading and writing bytes asks nothing; the list is made with a ui all the same.
    static FakeUi ui;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The layouts the lists use: words as fields, or the last field keeping the rest.
    for (const ListFile::Rest rest :
         {ListFile::Rest::Drop, ListFile::Rest::IntoLast, ListFile::Rest::IntoFirst}) {
        const ListFile list(ansi, ui, QString(), QStringLiteral("列表文件"), {3, rest, "\r\n"});
        Settles(list, bytes, 3);
    }
    return 0;
}
