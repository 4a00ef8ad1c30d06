#include "ProfileEngine.h"

#include "AtomicFile.h"
#include "TextRules.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace platform {

using text::equalNoCase;
using text::trimmed;

struct ProfileEngine::Line {
    enum Kind { Blank, Section, Entry, Bare };
    std::string raw; // bytes as in the file, without the line break
    Kind kind = Blank;
    // The decoded line; the name and the value are pieces of it, kept as places rather than
    // copies (a parse makes half the allocations).
    std::u16string text;
    std::size_t nameAt = 0, nameSize = 0;   // section name, key, or the whole text of a bare line
    std::size_t valueAt = 0, valueSize = 0; // trimmed, quotes kept

    std::u16string_view name() const { return std::u16string_view(text).substr(nameAt, nameSize); }
    std::u16string_view value() const
    {
        return std::u16string_view(text).substr(valueAt, valueSize);
    }
    void setName(std::u16string_view piece) { place(piece, nameAt, nameSize); }
    void setValue(std::u16string_view piece) { place(piece, valueAt, valueSize); }

private:
    void place(std::u16string_view piece, std::size_t& at, std::size_t& size) const
    {
        at = std::size_t(piece.data() - text.data());
        size = piece.size();
    }
};

struct ProfileEngine::Document {
    std::vector<Line> lines;
    //! The indexes of the section headers, in order: a lookup passes over these, not over
    //! every line of the sections before.
    std::vector<std::size_t> headers;

    //! The first section of that name, as [header, end) line indexes.
    bool findSection(std::u16string_view section, std::size_t& header, std::size_t& end) const
    {
        section = trimmed(section);
        for (std::size_t h = 0; h < headers.size(); ++h) {
            const Line& line = lines[headers[h]];
            if (line.nameSize == 0 || !equalNoCase(line.name(), section))
                continue;
            header = headers[h];
            end = h + 1 < headers.size() ? headers[h + 1] : lines.size();
            return true;
        }
        return false;
    }

    const Line* findKey(std::u16string_view section, std::u16string_view key,
                        std::size_t* index = nullptr) const
    {
        std::size_t header = 0, end = 0;
        if (!findSection(section, header, end))
            return nullptr;
        key = trimmed(key);
        for (std::size_t i = header + 1; i < end; ++i) {
            if (lines[i].kind == Line::Entry && equalNoCase(lines[i].name(), key)) {
                if (index)
                    *index = i;
                return &lines[i];
            }
        }
        return nullptr;
    }
};

namespace {

std::u16string_view unquoted(std::u16string_view v)
{
    if (v.size() > 1 && v.front() == v.back() && (v.front() == u'"' || v.front() == u'\''))
        return v.substr(1, v.size() - 2);
    return v;
}

// No cache of the converted name: the close steps of a program ended by a lost display
// write settings from an exit handler, after thread-local objects are gone.
std::filesystem::path toPath(const std::u16string& file)
{
    return std::filesystem::path(file);
}

} // namespace

bool profileWriteIsSafe(const std::u16string& section, const std::u16string& key,
                        const std::u16string* value)
{
    const auto noBreaks = [](const std::u16string& s) {
        return s.find_first_of(u"\r\n") == std::u16string::npos;
    };
    return !trimmed(section).empty() && noBreaks(section) && noBreaks(key) &&
           section.find(u']') == std::u16string::npos && key.find(u'=') == std::u16string::npos &&
           (!value || noBreaks(*value));
}

std::shared_ptr<const ProfileEngine::Document> ProfileEngine::load(const std::u16string& file) const
{
    bool missing = false;
    const auto bytes = files_.read(toPath(file), &missing);
    if (!bytes)
        return missing ? std::make_shared<const Document>() : nullptr;
    if (auto known = last_.find(*bytes))
        return known;
    auto doc = std::make_shared<Document>();
    std::size_t breaks = 0;
    for (const char *at = bytes->data(), *end = at + bytes->size();
         (at = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at)))); ++at)
        ++breaks;
    doc->lines.reserve(breaks + 1);
    // CR, LF and CR LF all end a line; no GBK pair or GB18030 four-byte sequence contains
    // either byte. Each is looked for with find(), which goes through memchr, and looked for
    // again only once passed: a scan per character cost more than the rest of the parse.
    std::size_t nextCr = bytes->find('\r');
    std::size_t nextLf = bytes->find('\n');
    for (std::size_t pos = 0; pos < bytes->size();) {
        if (nextCr < pos)
            nextCr = bytes->find('\r', pos);
        if (nextLf < pos)
            nextLf = bytes->find('\n', pos);
        const std::size_t stop = std::min(nextCr, nextLf);
        Line line;
        line.raw = bytes->substr(pos, stop == std::string::npos ? std::string::npos : stop - pos);
        // Decoding before looking for "[" and "]": both can be the second byte of a GBK pair
        // (and digits are part of GB18030's four-byte sequences).
        line.text = ansi_.toUtf16(line.raw);
        const std::u16string_view t = trimmed(line.text);
        const std::size_t close = !t.empty() && t.front() == u'[' ? t.find(u']') : t.npos;
        if (t.empty()) {
            line.kind = Line::Blank;
        } else if (close != std::u16string_view::npos) {
            line.kind = Line::Section;
            line.setName(trimmed(t.substr(1, close - 1)));
            doc->headers.push_back(doc->lines.size());
        } else if (const std::size_t eq = t.find(u'='); eq != std::u16string_view::npos) {
            line.kind = Line::Entry;
            line.setName(trimmed(t.substr(0, eq)));
            line.setValue(trimmed(t.substr(eq + 1)));
        } else {
            line.kind = Line::Bare;
            line.setName(t);
        }
        doc->lines.push_back(std::move(line));
        if (stop == std::string::npos)
            break;
        pos =
            stop + ((*bytes)[stop] == '\r' && stop + 1 < bytes->size() && (*bytes)[stop + 1] == '\n'
                        ? 2
                        : 1);
    }
    last_.keep(*bytes, doc);
    return doc;
}

bool ProfileEngine::save(const std::u16string& file, const Document& doc, std::size_t at,
                         std::size_t drop, std::initializer_list<std::string_view> insert) const
{
    std::string bytes;
    for (std::size_t i = 0; i <= doc.lines.size(); ++i) {
        if (i == at)
            for (const auto piece : insert)
                bytes.append(piece).append("\r\n");
        if (i < doc.lines.size() && (i < at || i >= at + drop))
            bytes.append(doc.lines[i].raw).append("\r\n");
    }
    return files_.write(toPath(file), bytes);
}

std::u16string ProfileEngine::readString(const std::u16string& file, const std::u16string& section,
                                         const std::u16string& key, const std::u16string& fallback,
                                         std::size_t maxChars)
{
    const auto doc = load(file);
    const Line* line = doc ? doc->findKey(section, key) : nullptr;
    std::u16string_view value;
    if (line) {
        value = unquoted(line->value());
    } else {
        // The fallback loses trailing blanks and quotes as a stored value would.
        value = fallback;
        while (!value.empty() && text::isBlank(value.back()))
            value.remove_suffix(1);
        value = unquoted(value);
    }
    return std::u16string(value.substr(0, maxChars));
}

bool ProfileEngine::writeString(const std::u16string& file, const std::u16string& section,
                                const std::u16string& key, const std::u16string& value)
{
    if (!profileWriteIsSafe(section, key, &value))
        return false;
    const auto loaded = load(file);
    if (!loaded)
        return false;
    const Document& doc = *loaded;
    std::size_t index = 0, header = 0, end = 0;
    // Keeps the key as the file spells it.
    if (const Line* line = doc.findKey(section, key, &index))
        return save(file, doc, index, 1,
                    {ansi_.fromUtf16(std::u16string(line->name()) + u"=" + value)});
    const std::string entry = ansi_.fromUtf16(std::u16string(trimmed(key)) + u"=" + value);
    if (doc.findSection(section, header, end)) {
        // After the section's last line that is not blank, before the blank lines
        // that separate it from the next section.
        std::size_t at = end;
        while (at > header + 1 && doc.lines[at - 1].kind == Line::Blank)
            --at;
        return save(file, doc, at, 0, {entry});
    }
    const std::string head = ansi_.fromUtf16(u"[" + std::u16string(trimmed(section)) + u"]");
    return save(file, doc, doc.lines.size(), 0, {head, entry});
}

bool ProfileEngine::deleteKey(const std::u16string& file, const std::u16string& section,
                              const std::u16string& key)
{
    const auto loaded = load(file);
    if (!loaded)
        return false;
    std::size_t index = 0;
    if (!loaded->findKey(section, key, &index))
        return true;
    return save(file, *loaded, index, 1, {});
}

std::vector<std::u16string> ProfileEngine::sectionNames(const std::u16string& file)
{
    const auto doc = load(file);
    std::vector<std::u16string> names;
    if (doc)
        for (const std::size_t header : doc->headers)
            if (doc->lines[header].nameSize != 0)
                names.emplace_back(doc->lines[header].name());
    return names;
}

std::vector<Profile::Entry> ProfileEngine::sectionEntries(const std::u16string& file,
                                                          const std::u16string& section)
{
    const auto doc = load(file);
    std::vector<Entry> entries;
    std::size_t header = 0, end = 0;
    if (doc && doc->findSection(section, header, end))
        for (std::size_t i = header + 1; i < end; ++i)
            if (doc->lines[i].kind != Line::Blank)
                entries.emplace_back(doc->lines[i].name(), doc->lines[i].value());
    return entries;
}

} // namespace platform
