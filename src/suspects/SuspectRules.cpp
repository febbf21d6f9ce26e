#include "suspects/SuspectRules.h"

#include "platform/AsciiCase.h"
#include "suspects/ShellLink.h"

#include <algorithm>
#include <array>

namespace umbrix::suspects {
namespace {

std::string folded(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), foldAsciiCase);
    return out;
}

bool endsWithFolded(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           compareAsciiFolded(text.substr(text.size() - suffix.size()), suffix) == 0;
}

std::string_view trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The last component of a Windows or Linux path.
std::string_view lastComponent(std::string_view path)
{
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

bool isProgramOrScript(std::string_view name)
{
    static constexpr std::array<std::string_view, 12> kinds{
        ".exe", ".scr", ".pif", ".com", ".bat", ".cmd", ".vbs", ".vbe", ".js", ".jse", ".wsf", ".lnk"};
    return std::any_of(kinds.begin(), kinds.end(), [&](std::string_view kind) {
        return name.size() > kind.size() && endsWithFolded(name, kind);
    });
}

bool isShortcutName(std::string_view name)
{
    return name.size() > 4 && endsWithFolded(name, ".lnk");
}

bool isAutorunName(std::string_view name)
{
    return compareAsciiFolded(name, "autorun.inf") == 0;
}

std::string interpreterOf(std::string_view word)
{
    static constexpr std::array<std::string_view, 7> hosts{
        "cmd", "wscript", "cscript", "powershell", "mshta", "rundll32", "regsvr32"};
    std::string name = folded(lastComponent(trimmed(word)));
    if (name.ends_with(".exe"))
        name.resize(name.size() - 4);
    const bool host = std::find(hosts.begin(), hosts.end(), name) != hosts.end();
    return host ? name : std::string();
}

std::vector<std::string> commandWords(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    const auto end = [&] {
        if (!word.empty() && word.front() != '/')
            words.push_back(word);
        word.clear();
    };
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            end();
        } else if (!quoted && std::string_view(" \t\r\n&|<>,;").find(c) != std::string_view::npos) {
            end();
        } else {
            word += c;
        }
    }
    end();
    return words;
}

std::vector<std::string> targetPaths(const ShellLink& link)
{
    std::vector<std::string> paths;
    for (const std::string* target :
         {&link.localPath, &link.networkPath, &link.relativePath, &link.environmentPath})
        if (!target->empty())
            paths.push_back(*target);
    return paths;
}

VolumePath volumePath(std::string_view path)
{
    VolumePath out;
    path = trimmed(path);
    if (path.starts_with("\\\\") || path.starts_with("//") || path.find('%') != path.npos)
        return out;
    if (path.size() >= 2 && path[1] == ':') {
        path.remove_prefix(2);
        out.fromTop = true;
    }
    if (path.starts_with("\\") || path.starts_with("/"))
        out.fromTop = true;
    size_t start = 0;
    while (start <= path.size()) {
        size_t stop = path.find_first_of("\\/", start);
        if (stop == std::string_view::npos)
            stop = path.size();
        const std::string_view part = path.substr(start, stop - start);
        if (part == "..")
            return {};
        if (!part.empty() && part != ".")
            out.components.emplace_back(part);
        start = stop + 1;
    }
    return out;
}

std::string autorunCommand(std::string_view text)
{
    bool inAutorun = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos)
            stop = text.size();
        const std::string_view line = trimmed(text.substr(start, stop - start));
        start = stop + 1;
        if (line.starts_with("[")) {
            inAutorun = compareAsciiFolded(trimmed(line), "[autorun]") == 0;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inAutorun || equals == std::string_view::npos)
            continue;
        const std::string key = folded(trimmed(line.substr(0, equals)));
        if (trimmed(line.substr(equals + 1)).empty())
            continue;
        const bool verb = key.starts_with("shell\\") && key.ends_with("\\command");
        if (key == "open" || key == "shellexecute" || verb)
            return std::string(line);
    }
    return "";
}

} // namespace umbrix::suspects
