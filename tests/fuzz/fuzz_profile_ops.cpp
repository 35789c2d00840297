// The settings engine changing a file it did not write, through its file operations over a file in memory.
//
// The input is the file, then "%%ops" and a line break, then one operation a line: "s SECTION|KEY|VALUE"
// (save), "g SECTION|KEY" (get), "d SECTION|KEY" (delete a key; an empty key deletes the section), "x
// SECTION" (delete the section), "a SECTION" (read a section's lines), "r" (the file becomes read-only, or
// writable again), "L" / "I" (the Linux codec / bytes as they are). Fields take \n \r \0 \| \\ and \xHH
// escapes. Without "%%ops" the whole input is the file and a fixed set of operations runs on it.
//
// After every change: the value saved reads back, nothing of another section changes, nor another key of
// the same section, a file keeps its form (UTF-16 stays UTF-16), and a file that cannot be written keeps
// every byte.
#include "ProfileRules.h"
#include "linux/LinuxCodec.h"
#include "support/Fakes.h"

#include <map>
#include <memory>
#include <set>

namespace {

using namespace app::profile;
using fuzz::Form;
using fuzz::formOf;

const std::string kPath = "C:\\Apps\\tavimoro.ini";
constexpr std::string_view kOpsMark = "%%ops\n";
constexpr std::string_view kDefaultOps = "s AutoRun|open|SETUP.EXE /s\n"
                                         "g AutoRun|open\n"
                                         "s Mode|Standby| \"True\" \n"
                                         "d AutoRun|icon\n"
                                         "a Mode\n"
                                         "x CD\n"
                                         "s CD|Drive_E|True\n";

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One "|"-separated field list with its escapes undone.
std::vector<std::string> fields(std::string_view text) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '|') {
            out.emplace_back();
        } else if (c != '\\' || i + 1 == text.size()) {
            out.back() += c;
        } else {
            const char e = text[++i];
            if (e == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
                out.back() += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
                i += 2;
            } else {
                out.back() += e == 'n' ? '\n' : e == 'r' ? '\r' : e == '0' ? '\0' : e;
            }
        }
    }
    return out;
}

class Session {
  public:
    explicit Session(std::string file) {
        m_files.files[kPath] = std::move(file);
        useCodec(false);
    }

    void run(std::string_view line) {
        if (line.empty())
            return;
        const char op = line[0];
        const std::vector<std::string> f = fields(line.size() > 2 ? line.substr(2) : std::string_view());
        auto field = [&f](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
        const std::string section = field(0), key = field(1), value = field(2);
        switch (op) {
        case 's': {
            const bool fits = fitsInALine(section, key, value);
            change(section, key, fits, [&] {
                static_cast<void>(
                    writeProfileString(m_files, *m_codec, kPath, section, key, value, Newline::Lf));
            });
            if (fits)
                checkSaved(section, key, value);
            break;
        }
        case 'd':
            change(section, key, true, [&] {
                static_cast<void>(key.empty() ? deleteProfileSection(m_files, *m_codec, kPath, section)
                                              : deleteProfileKey(m_files, *m_codec, kPath, section, key));
            });
            if (!key.empty() && m_files.writable)
                fuzz::check(!findValue(file(), section, key, *m_codec), "a deleted key is gone", key);
            break;
        case 'x':
            change(section, "", true,
                   [&] { static_cast<void>(deleteProfileSection(m_files, *m_codec, kPath, section)); });
            break;
        case 'g': {
            const std::string got = getProfileString(m_files, *m_codec, kPath, section, key, "\x7f");
            fuzz::check(got.size() < kDefaultBufferSize && got.find('\0') == std::string::npos,
                        "a setting read fits the buffer", got);
            break;
        }
        case 'a':
            for (const std::string& entry : getProfileSection(m_files, *m_codec, kPath, section))
                fuzz::check(entry.find('\0') == std::string::npos, "a section's line holds no NUL", entry);
            break;
        case 'r':
            m_files.writable = !m_files.writable;
            break;
        case 'L':
        case 'I':
            useCodec(op == 'L');
            break;
        default:
            break;
        }
    }

    void remember(std::string_view line) {
        const std::vector<std::string> f = fields(line.size() > 2 ? line.substr(2) : std::string_view());
        m_sections.insert(f[0]);
        if (f.size() > 1)
            m_keys.insert(f[1]);
    }

    void rememberHeaders() {
        std::set<std::string> keys;
        fuzz::scanNames(file(), m_sections, keys, 16);
    }

  private:
    void useCodec(bool linux) {
        m_codec = linux ? static_cast<port::ITextCodec*>(&m_linuxCodec) : &m_sameBytes;
        m_linux = linux;
    }

    std::string file() {
        const auto data = m_files.readFile(kPath);
        return data ? *data : std::string();
    }

    // Runs a change of `key` (empty: of the whole section) in `section` and checks what must not change;
    // with `others`, that no other section and no other key of the section changes either.
    template <typename Change>
    void change(const std::string& section, const std::string& key, bool others, Change apply) {
        const std::string before = file();
        std::map<std::string, std::vector<std::string>> otherSections;
        for (const std::string& s : m_sections)
            if (others && fuzz::argumentKey(s) != fuzz::argumentKey(section))
                otherSections[s] = getSection(before, s, *m_codec);
        std::map<std::string, std::optional<std::string>> otherKeys;
        if (others && !key.empty())
            for (const std::string& k : m_keys)
                if (fuzz::argumentKey(k) != fuzz::argumentKey(key))
                    otherKeys[k] = findValue(before, section, k, *m_codec);

        apply();

        const std::string after = file();
        if (!m_files.writable) {
            fuzz::check(after == before, "a file that cannot be written keeps every byte", after);
            return;
        }
        if (!before.empty())
            fuzz::check(formOf(after) == formOf(before), "a file keeps its form", after);
        if (formOf(before) == Form::Utf16 && before.size() % 2 == 0)
            fuzz::check(after.size() % 2 == 0, "a UTF-16 file holds whole units", after);
        for (const auto& [s, lines] : otherSections)
            fuzz::check(getSection(after, s, *m_codec) == lines, "another section does not change", s);
        for (const auto& [k, v] : otherKeys)
            fuzz::check(findValue(after, section, k, *m_codec) == v, "another key does not change", k);
    }

    // Whether a section name, a key and a value can stand in the file as they are: a section name without
    // "]", a key without "=" that does not start like a header or a comment, nothing that breaks a line,
    // names without other blanks than spaces at their ends (lines of the file lose those, arguments keep
    // them). Other names are the caller's mistake: the lines written then read as something else.
    static bool fitsInALine(const std::string& section, const std::string& key, const std::string& value) {
        if ((section + key + value).find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos ||
            section.find(']') != std::string::npos || key.find('=') != std::string::npos)
            return false;
        for (const std::string& name : {section, key}) {
            const std::string spaced = fuzz::argumentKey(name);
            if (!spaced.empty() &&
                (fuzz::isProfileBlank(spaced.front()) || fuzz::isProfileBlank(spaced.back())))
                return false;
        }
        const std::string_view k = fuzz::trimmed(key);
        return k.empty() || (k.front() != '[' && k.front() != ';');
    }

    // A saved value reads back whenever the file's form holds the text exactly.
    void checkSaved(const std::string& section, const std::string& key, const std::string& value) {
        if (!m_files.writable)
            return;
        const std::string after = file();
        const Form form = formOf(after);
        const bool utf8 = fuzz::isStrictUtf8(section) && fuzz::isStrictUtf8(key) && fuzz::isStrictUtf8(value);
        const bool exact = form == Form::Utf8 || (form == Form::Ansi && !m_linux) ||
                           (utf8 && (form == Form::Utf16 || fuzz::isStrictUtf8(after)));
        if (exact)
            fuzz::check(findValue(after, section, key, *m_codec) == fuzz::valueAsRead(value),
                        "a saved value reads back", section + "|" + key + "|" + value);
    }

    fakes::FileSystem m_files; // writes fail while it is not writable
    fakes::Codec m_sameBytes;
    lnx::LinuxCodec m_linuxCodec;
    port::ITextCodec* m_codec = nullptr;
    bool m_linux = false;
    std::set<std::string> m_sections{"AutoRun", "Mode", "CD"};
    std::set<std::string> m_keys{"open", "icon", "Standby"};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::asText(data, size);
    const std::size_t mark = input.find(kOpsMark);
    const std::string_view file = input.substr(0, mark);
    const std::string_view ops =
        mark == std::string_view::npos ? kDefaultOps : input.substr(mark + kOpsMark.size());

    Session session{std::string(file)};
    const std::vector<std::string_view> lines = fuzz::split(ops, '\n');
    for (std::string_view line : lines)
        session.remember(line);
    session.rememberHeaders();
    for (std::string_view line : lines)
        session.run(line);
    return 0;
}
