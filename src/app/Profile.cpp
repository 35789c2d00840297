#include "app/Profile.h"
#include "app/Text.h"

#include <cstdint>

namespace app::profile {

namespace {

// How the file's text is stored. Only the line structure is read from the raw bytes (line breaks, blanks,
// "[", ";" and "=" are the same single units in every form); names and values are decoded line by line.
// CR LF, a lone LF and a lone CR each end a line, as Windows reads a settings file: a file saved with
// CR-only breaks must read the same as the others.
enum class Form { Ansi, Utf8, Utf16Le };

enum class Kind { Blank, Comment, Header, Other };

struct Line {
    std::size_t begin = 0; // first byte of the line
    std::size_t end = 0;   // end of its content, before its CR LF, LF or CR
    std::size_t next = 0;  // first byte after its line break
    bool hasBreak() const { return next != end; }
};

struct SectionRange {
    Line header;
    std::size_t bodyBegin = 0; // first byte after the header line
    std::size_t bodyEnd = 0;   // first byte of the next header line, or the end of the file
};

bool isBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// What a line of the file loses around its names and values.
constexpr std::string_view kLineBlanks = " \t\r\v\f";

// Section and key arguments, defaults and values reach the Windows profile functions as C strings, which
// end at their first NUL. From a section or key argument those functions trim only the space character,
// and from a default only its trailing spaces: a tab, VT or CR there is part of the text. So a name is
// written exactly as given apart from its outer spaces ("key.\t" stays "key.\t", "sec) " becomes
// "sec)"), while the file's own lines lose every blank when read; a name with another blank at an end
// therefore never finds a line of the file.
std::string_view argumentText(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

std::string_view trimRightSpaces(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ')
        --e;
    return s.substr(0, e);
}

std::string_view nameArgument(std::string_view s) {
    s = trimRightSpaces(argumentText(s));
    std::size_t b = 0;
    while (b < s.size() && s[b] == ' ')
        ++b;
    return s.substr(b);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare ignoring ASCII letter case only, so that multi-byte text is compared as it stands.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

class Document {
  public:
    Document(std::string_view bytes, port::ITextCodec& codec) : m_bytes(bytes), m_codec(codec) {
        if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
            m_form = Form::Utf16Le;
            m_unit = 2;
            m_body = 2;
        } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
            m_form = Form::Utf8;
            m_body = 3;
        }
    }

    std::string_view bytes() const { return m_bytes; }

    // The code unit at `pos`; 0 past the end (an odd last byte of UTF-16 counts as past the end).
    char32_t unitAt(std::size_t pos) const {
        if (pos + m_unit > m_bytes.size())
            return 0;
        if (m_unit == 1)
            return static_cast<unsigned char>(m_bytes[pos]);
        return static_cast<unsigned char>(m_bytes[pos]) | (static_cast<unsigned char>(m_bytes[pos + 1]) << 8);
    }

    std::size_t firstLine() const { return m_body; }

    // The line that starts at `pos`; false at the end of the file.
    bool lineAt(std::size_t pos, Line& line) const {
        if (pos >= m_bytes.size())
            return false;
        line.begin = pos;
        std::size_t i = pos;
        if (m_unit == 1) {
            std::size_t nl = m_bytes.find_first_of("\r\n", pos);
            i = nl == std::string_view::npos ? m_bytes.size() : nl;
        } else {
            while (i + 1 < m_bytes.size() && !isBreak(unitAt(i)))
                i += 2;
            if (i + 1 >= m_bytes.size())
                i = m_bytes.size();
        }
        line.end = i;
        line.next = i < m_bytes.size() ? i + breakUnits(i) * m_unit : i;
        return true;
    }

    // The end of the line's text: its first NUL, else its end. What follows a NUL on the same line is
    // never read, by any reader; a write that rewrites the line's value replaces it.
    std::size_t textEnd(const Line& line) const {
        for (std::size_t i = line.begin; i + m_unit <= line.end; i += m_unit)
            if (unitAt(i) == 0)
                return i;
        return line.end;
    }

    Kind kind(const Line& line) const {
        const std::size_t end = textEnd(line);
        std::size_t i = line.begin;
        while (i + m_unit <= end && isBlank(unitAt(i)))
            i += m_unit;
        if (i + m_unit > end)
            return Kind::Blank;
        char32_t c = unitAt(i);
        return c == '[' ? Kind::Header : c == ';' ? Kind::Comment : Kind::Other;
    }

    std::string decode(std::size_t begin, std::size_t end) const {
        std::string_view raw = m_bytes.substr(begin, end - begin);
        switch (m_form) {
        case Form::Utf16Le:
            return app::utf16leToUtf8(raw);
        case Form::Utf8:
            return std::string(raw);
        case Form::Ansi:
            break;
        }
        return m_codec.ansiToUtf8(raw);
    }
    std::string text(const Line& line) const { return decode(line.begin, textEnd(line)); }

    std::string encode(std::string_view text) const {
        switch (m_form) {
        case Form::Utf16Le:
            return app::utf8ToUtf16le(text);
        case Form::Utf8:
            return std::string(text);
        case Form::Ansi:
            break;
        }
        return m_codec.utf8ToAnsi(text);
    }

    // The bytes of `text` where it replaces the end of `line` from `at` on: in the encoding the line was
    // read in, so that the rewritten line reads back as written.
    std::string encodeInLine(std::string_view text, const Line& line, std::size_t at) const {
        if (m_form != Form::Ansi)
            return encode(text);
        return m_codec.utf8ToAnsiInLine(text, m_bytes.substr(line.begin, textEnd(line) - line.begin),
                                        m_bytes.substr(line.begin, at - line.begin));
    }

    // The encoded line break for new lines: the style of the file's first line break, else the caller's.
    std::string newline(Newline fallback) const {
        Line line;
        if (!lineAt(m_body, line) || !line.hasBreak())
            return encode(fallback == Newline::CrLf ? "\r\n" : "\n");
        if (line.end + m_unit < line.next)
            return encode("\r\n");
        if (unitAt(line.end) != '\r')
            return encode("\n");
        // A CR followed by a NUL unit is the CR LF of a wider form read here in narrower units (UTF-16BE
        // and UTF-32BE as ANSI, UTF-32LE as UTF-16LE), where Windows adds lines ending in CR LF. The CR of
        // a CR-only file is followed by text or by the end of the file, never by a NUL.
        const std::size_t after = line.end + m_unit;
        return encode(after + m_unit <= m_bytes.size() && unitAt(after) == 0 ? "\r\n" : "\r");
    }

    // True when the file's last line has text but no line break.
    bool endsWithoutBreak() const { return m_bytes.size() > m_body && !isBreak(unitAt(lastUnit())); }

    // True when the file holds a byte-order mark and nothing else.
    bool onlyMark() const { return m_body > 0 && m_bytes.size() == m_body; }

    // The name of a header line: between its "[" and the first "]" (the rest of the line without one).
    std::string headerName(const Line& line) const {
        std::string t = text(line);
        std::string_view s = app::trim(t, kLineBlanks);
        if (!s.empty() && s.front() == '[')
            s.remove_prefix(1);
        s = s.substr(0, s.find(']'));
        return std::string(app::trim(s, kLineBlanks));
    }

    // `name` is a prepared argument (see nameArgument).
    std::optional<SectionRange> findSection(std::string_view name) const {
        Line line;
        std::size_t pos = m_body;
        std::optional<SectionRange> found;
        while (lineAt(pos, line)) {
            if (kind(line) == Kind::Header) {
                if (found) {
                    found->bodyEnd = line.begin;
                    return found;
                }
                if (sameName(headerName(line), name))
                    found = SectionRange{line, line.next, m_bytes.size()};
            }
            pos = line.next;
        }
        return found;
    }

    // Position of the first "=" unit of the line's text, or npos.
    std::size_t equalsSign(const Line& line) const {
        const std::size_t end = textEnd(line);
        for (std::size_t i = line.begin; i + m_unit <= end; i += m_unit)
            if (unitAt(i) == '=')
                return i;
        return std::string_view::npos;
    }

    std::size_t unit() const { return m_unit; }

    // Drops the half UTF-16 unit that ends `out` (the whole file so far), so that what is appended after
    // it stays aligned. Reads ignore that byte; padded, it would become a character of the line before.
    void dropHalfUnit(std::string& out) const {
        if (m_unit != 1 && out.size() > m_body && (out.size() - m_body) % m_unit != 0)
            out.pop_back();
    }

  private:
    static bool isBreak(char32_t c) { return c == '\r' || c == '\n'; }

    // Length in units of the line break at `pos`: a CR right before an LF is part of the same break, so
    // that a CR LF file gets no empty line between its lines.
    std::size_t breakUnits(std::size_t pos) const {
        return unitAt(pos) == '\r' && unitAt(pos + m_unit) == '\n' ? 2 : 1;
    }

    std::size_t lastUnit() const { return m_bytes.size() - m_unit - (m_bytes.size() - m_body) % m_unit; }

    std::string_view m_bytes;
    port::ITextCodec& m_codec;
    Form m_form = Form::Ansi;
    std::size_t m_unit = 1;
    std::size_t m_body = 0;
};

// An entry line of a section: the key before its first "=" and the value after it, both trimmed.
struct Entry {
    std::string key;
    std::string value;
};

std::optional<Entry> parseEntry(const Document& doc, const Line& line) {
    if (doc.kind(line) != Kind::Other)
        return std::nullopt;
    std::string t = doc.text(line);
    std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    std::string_view all = t;
    return Entry{std::string(app::trim(all.substr(0, eq), kLineBlanks)),
                 std::string(app::trim(all.substr(eq + 1), kLineBlanks))};
}

// Calls `visit(line)` for every line of the section's body until it returns true.
template <typename Visit> void forEachLine(const Document& doc, const SectionRange& range, Visit visit) {
    Line line;
    std::size_t pos = range.bodyBegin;
    while (pos < range.bodyEnd && doc.lineAt(pos, line)) {
        if (visit(line))
            return;
        pos = line.next;
    }
}

} // namespace

std::vector<std::optional<std::string>> findValues(std::string_view bytes, std::string_view section,
                                                   const std::vector<std::string_view>& keys,
                                                   port::ITextCodec& codec) {
    std::vector<std::optional<std::string>> values(keys.size());
    Document doc(bytes, codec);
    auto range = doc.findSection(nameArgument(section));
    if (!range)
        return values;
    std::size_t left = keys.size();
    forEachLine(doc, *range, [&](const Line& line) {
        auto entry = parseEntry(doc, line);
        for (std::size_t i = 0; entry && i < keys.size(); ++i) {
            if (values[i] || !sameName(entry->key, nameArgument(keys[i])))
                continue;
            std::string_view v = entry->value;
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            values[i] = std::string(v);
            --left;
        }
        return left == 0;
    });
    return values;
}

std::optional<std::string> findValue(std::string_view bytes, std::string_view section, std::string_view key,
                                     port::ITextCodec& codec) {
    return std::move(findValues(bytes, section, {key}, codec).front());
}

std::string getString(std::string_view bytes, std::string_view section, std::string_view key,
                      std::string_view defaultValue, port::ITextCodec& codec, std::size_t bufferSize) {
    if (bufferSize == 0)
        return "";
    auto value = findValue(bytes, section, key, codec);
    std::string_view text = value ? std::string_view(*value) : trimRightSpaces(argumentText(defaultValue));
    return app::cutUtf8(text, bufferSize - 1);
}

std::vector<std::string> getSection(std::string_view bytes, std::string_view section,
                                    port::ITextCodec& codec) {
    Document doc(bytes, codec);
    std::vector<std::string> lines;
    if (auto range = doc.findSection(nameArgument(section)))
        forEachLine(doc, *range, [&](const Line& line) {
            if (doc.kind(line) == Kind::Other)
                lines.emplace_back(app::trim(doc.text(line), kLineBlanks));
            return false;
        });
    return lines;
}

std::string writeString(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view value, port::ITextCodec& codec, Newline newFileStyle) {
    Document doc(bytes, codec);
    const std::string nl = doc.newline(newFileStyle);
    section = nameArgument(section);
    key = nameArgument(key);
    value = argumentText(value);
    const std::string entryLine = doc.encode(std::string(key) + "=" + std::string(value)) + nl;

    auto range = doc.findSection(section);
    if (!range) {
        std::string out(bytes);
        doc.dropHalfUnit(out);
        // A file holding only a byte-order mark gets a line break after it, as Windows writes it.
        if (doc.endsWithoutBreak() || doc.onlyMark())
            out += nl;
        out += doc.encode("[" + std::string(section) + "]") + nl + entryLine;
        return out;
    }

    // The existing entry keeps its line and its spelling; only the text after its "=" changes.
    std::optional<Line> existing;
    Line lastContent = range->header;
    forEachLine(doc, *range, [&](const Line& line) {
        Kind k = doc.kind(line);
        if (k == Kind::Blank || k == Kind::Comment)
            return false;
        lastContent = line;
        auto entry = parseEntry(doc, line);
        if (entry && sameName(entry->key, key)) {
            existing = line;
            return true;
        }
        return false;
    });
    if (existing) {
        std::size_t valueBegin = doc.equalsSign(*existing) + doc.unit();
        std::string out(bytes.substr(0, valueBegin));
        out += doc.encodeInLine(value, *existing, valueBegin);
        // The rewritten entry always ends in a line break, even on a last line that had none.
        out += existing->hasBreak() ? bytes.substr(existing->end) : std::string_view(nl);
        return out;
    }

    // A new entry goes after the section's last line of content, before its trailing blank lines.
    std::string out(bytes.substr(0, lastContent.next));
    doc.dropHalfUnit(out);
    if (!lastContent.hasBreak())
        out += nl;
    out += entryLine;
    out += bytes.substr(lastContent.next);
    return out;
}

std::string deleteSection(std::string_view bytes, std::string_view section, port::ITextCodec& codec) {
    Document doc(bytes, codec);
    auto range = doc.findSection(nameArgument(section));
    if (!range)
        return std::string(bytes);
    // The header, the entries and the blank lines go; comment lines are the user's notes and stay where
    // they stood (those before the header are outside the range and stay anyway).
    std::string out(bytes.substr(0, range->header.begin));
    forEachLine(doc, *range, [&](const Line& line) {
        if (doc.kind(line) == Kind::Comment)
            out += bytes.substr(line.begin, line.next - line.begin);
        return false;
    });
    out += bytes.substr(range->bodyEnd);
    return out;
}

std::string deleteKey(std::string_view bytes, std::string_view section, std::string_view key,
                      port::ITextCodec& codec) {
    Document doc(bytes, codec);
    auto range = doc.findSection(nameArgument(section));
    if (!range)
        return std::string(bytes);
    key = nameArgument(key);
    std::string out;
    std::size_t kept = 0; // bytes before this position are decided
    forEachLine(doc, *range, [&](const Line& line) {
        auto entry = parseEntry(doc, line);
        if (entry && sameName(entry->key, key)) {
            out += bytes.substr(kept, line.begin - kept);
            kept = line.next;
        }
        return false;
    });
    out += bytes.substr(kept);
    return out;
}

} // namespace app::profile
