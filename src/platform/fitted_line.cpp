// SPDX-License-Identifier: MIT
#include "platform/fitted_line.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <vector>

namespace tovrik {

namespace {

constexpr std::string_view kEllipsis = "...";

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool IsDrive(std::string_view text, std::size_t at)
{
    return at + 2 < text.size() && std::isalpha(static_cast<unsigned char>(text[at])) != 0 &&
           text[at + 1] == ':' && IsSeparator(text[at + 2]);
}

// Where a path starts: after a space, a bracket or a quote (or at the start),
// with a separator that is followed by a name, or with a drive.
bool StartsPath(std::string_view text, std::size_t at)
{
    if (at > 0 && std::strchr(" (\"'", text[at - 1]) == nullptr) {
        return false;
    }
    if (IsSeparator(text[at])) {
        return at + 1 < text.size() && text[at + 1] != ' ';
    }
    return IsDrive(text, at);
}

// A path ends at the text's end, at a quote, or at punctuation followed by a space.
std::size_t PathEnd(std::string_view text, std::size_t start)
{
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] == '"') {
            return i;
        }
        if (std::strchr(":;,", text[i]) != nullptr && i + 1 < text.size() && text[i + 1] == ' ') {
            return i;
        }
    }
    return text.size();
}

struct PathSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    // The path and its shortened forms, each shorter than the one before.
    std::vector<std::string> forms;
    std::size_t form = 0;
};

// The path as it is, then with ever more of its middle folders replaced by "...":
// first one folder of the head is kept and the tail grows, then only the last name.
std::vector<std::string> ShortenedForms(std::string_view path)
{
    std::size_t rootLength = 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        rootLength = 2;
    } else if (IsDrive(path, 0)) {
        rootLength = 3;
    } else if (!path.empty() && IsSeparator(path[0])) {
        rootLength = 1;
    }
    const std::string root(path.substr(0, rootLength));
    std::vector<std::string> names;
    std::vector<char> after;  // the separator after each name
    std::size_t start = rootLength;
    for (std::size_t i = rootLength; i <= path.size(); ++i) {
        if (i == path.size() || IsSeparator(path[i])) {
            names.emplace_back(path.substr(start, i - start));
            after.push_back(i < path.size() ? path[i] : '\0');
            start = i + 1;
        }
    }
    std::vector<std::string> forms{std::string(path)};
    const std::size_t n = names.size();
    const char rootSeparator = rootLength > 0 ? root.back() : '/';
    for (std::size_t kept = n - 1; n >= 2 && kept >= 1; --kept) {
        const std::size_t head = kept >= 2 ? 1 + (kept - 2) / 3 : 0;
        const std::size_t tail = kept - head;
        std::string form = root;
        for (std::size_t i = 0; i < head; ++i) {
            form += names[i];
            form += after[i];
        }
        form += kEllipsis;
        form += head > 0 ? after[head - 1] : rootSeparator;
        for (std::size_t i = n - tail; i < n; ++i) {
            form += names[i];
            if (i + 1 < n) {
                form += after[i];
            }
        }
        if (form.size() < forms.back().size()) {
            forms.push_back(std::move(form));
        }
    }
    return forms;
}

std::vector<PathSpan> FindPaths(std::string_view line)
{
    std::vector<PathSpan> spans;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!StartsPath(line, i)) {
            continue;
        }
        PathSpan span;
        span.begin = i;
        span.end = PathEnd(line, i);
        span.forms = ShortenedForms(line.substr(i, span.end - i));
        i = span.end;
        spans.push_back(std::move(span));
    }
    return spans;
}

std::string Compose(std::string_view line, const std::vector<PathSpan>& spans)
{
    std::string out;
    std::size_t at = 0;
    for (const PathSpan& span : spans) {
        out.append(line.substr(at, span.begin - at));
        out += span.forms[span.form];
        at = span.end;
    }
    out.append(line.substr(at));
    return out;
}

// The longest start of the line, cut between characters, that fits with "..." after it.
std::string CutEnd(std::string_view line, int width, const TextWidth& measure)
{
    const auto withEllipsis = [&](std::size_t length) {
        std::string text(line.substr(0, length));
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        return text + std::string(kEllipsis);
    };
    if (measure(withEllipsis(0)) > width) {
        return {};
    }
    // Where characters start; the widths grow with the length, so the longest
    // start that fits is searched for among them.
    std::vector<std::size_t> starts;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    std::size_t fits = 0;
    auto low = starts.begin();
    auto high = starts.end();
    while (low != high) {
        const auto middle = low + (high - low) / 2;
        if (measure(withEllipsis(*middle)) <= width) {
            fits = *middle;
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return withEllipsis(fits);
}

}  // namespace

std::string AsOneLine(std::string_view text)
{
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c == '\n' || c == '\t') {
            line += ' ';
        } else if (c != '\r') {
            line += c;
        }
    }
    return line;
}

std::string FitLine(std::string_view text, int width, const TextWidth& measure)
{
    const std::string line = AsOneLine(text);
    if (width <= 0 || measure(line) <= width) {
        return line;
    }
    std::vector<PathSpan> spans = FindPaths(line);
    for (;;) {
        // The path that is longest as shown now gives up a folder next.
        PathSpan* longest = nullptr;
        for (PathSpan& span : spans) {
            if (span.form + 1 < span.forms.size() &&
                (longest == nullptr ||
                 span.forms[span.form].size() > longest->forms[longest->form].size())) {
                longest = &span;
            }
        }
        if (longest == nullptr) {
            break;
        }
        ++longest->form;
        std::string shorter = Compose(line, spans);
        if (measure(shorter) <= width) {
            return shorter;
        }
    }
    return CutEnd(Compose(line, spans), width, measure);
}

std::string WithSystemSeparators(std::string path)
{
    constexpr auto separator = static_cast<char>(std::filesystem::path::preferred_separator);
    std::replace(path.begin(), path.end(), '/', separator);
    return path;
}

}  // namespace tovrik
