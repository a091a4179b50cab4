#include "docs/script_page.h"

#include <cctype>
#include <sstream>
#include <vector>

#include "docs/roff.h"

namespace ax7::docs {

namespace {

bool startsWith(const std::string& s, std::string_view prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool isBlank(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

// One line of Markdown text: `code` in bold, *emphasis* in italics, **strong** in bold, a
// link as its text, \x as x.
std::string inlineText(const std::string& text) {
  std::string out, plain;
  auto flush = [&] {
    out += roffEscape(plain);
    plain.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && std::ispunct(static_cast<unsigned char>(text[i + 1]))) {
      plain += text[++i];
    } else if (c == '`') {
      const size_t end = text.find('`', i + 1);
      if (end == std::string::npos) {
        plain += c;
        continue;
      }
      flush();
      // Inside code only a table's \| is an escape.
      std::string code = text.substr(i + 1, end - i - 1);
      for (size_t at; (at = code.find("\\|")) != std::string::npos;) code.erase(at, 1);
      out += "\\fB" + roffEscape(code) + "\\fR";
      i = end;
    } else if (c == '*' && i + 1 < text.size() && text[i + 1] == '*') {
      const size_t end = text.find("**", i + 2);
      if (end == std::string::npos) {
        plain += "**";
        ++i;
        continue;
      }
      flush();
      out += "\\fB" + roffEscape(text.substr(i + 2, end - i - 2)) + "\\fR";
      i = end + 1;
    } else if (c == '*' && i + 1 < text.size() && text[i + 1] != ' ') {
      const size_t end = text.find('*', i + 1);
      if (end == std::string::npos) {
        plain += c;
        continue;
      }
      flush();
      out += "\\fI" + roffEscape(text.substr(i + 1, end - i - 1)) + "\\fR";
      i = end;
    } else if (c == '[') {
      const size_t close = text.find("](", i + 1);
      const size_t end = close == std::string::npos ? close : text.find(')', close + 2);
      if (end == std::string::npos) {
        plain += c;
        continue;
      }
      plain += text.substr(i + 1, close - i - 1);
      i = end;
    } else {
      plain += c;
    }
  }
  flush();
  return out;
}

// The cells of a table row, split at the pipes that are not escaped.
std::vector<std::string> cells(const std::string& row) {
  std::vector<std::string> out;
  std::string cell;
  const size_t first = row.find('|');
  for (size_t i = first + 1; i < row.size(); ++i) {
    if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
      cell += "\\|";
      ++i;
    } else if (row[i] == '|') {
      out.push_back(cell);
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  if (!isBlank(cell)) out.push_back(cell);
  for (std::string& c : out) {
    const size_t a = c.find_first_not_of(' ');
    const size_t b = c.find_last_not_of(' ');
    c = a == std::string::npos ? std::string() : c.substr(a, b - a + 1);
  }
  return out;
}

bool isTableRule(const std::string& line) {
  return line.find_first_not_of("|-: ") == std::string::npos && line.find('-') != std::string::npos;
}

}  // namespace

std::string markdownToRoff(const std::string& markdown) {
  std::vector<std::string> lines;
  std::istringstream in(markdown);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::ostringstream s;
  for (size_t i = 0; i < lines.size();) {
    const std::string& line = lines[i];
    if (isBlank(line)) {
      ++i;
    } else if (startsWith(line, "    ")) {
      // Code as it stands; blank lines inside it stay.
      s << ".PP\n.RS 4\n.nf\n";
      size_t end = i;
      while (end < lines.size() && (startsWith(lines[end], "    ") || isBlank(lines[end]))) ++end;
      while (end > i && isBlank(lines[end - 1])) --end;
      for (; i < end; ++i) s << roffEscape(isBlank(lines[i]) ? "" : lines[i].substr(4)) << "\n";
      s << ".fi\n.RE\n";
    } else if (startsWith(line, "|")) {
      // A table: every row as a tagged paragraph, the first cell as the tag.
      bool header = true;
      for (; i < lines.size() && startsWith(lines[i], "|"); ++i) {
        if (isTableRule(lines[i])) continue;
        const std::vector<std::string> row = cells(lines[i]);
        if (header) {
          header = false;
          continue;
        }
        if (row.empty()) continue;
        s << ".TP\n" << inlineText(row[0]) << "\n";
        std::string rest;
        for (size_t c = 1; c < row.size(); ++c) rest += (rest.empty() ? "" : " ") + row[c];
        s << inlineText(rest) << "\n";
      }
    } else if (startsWith(line, "#")) {
      const size_t text = line.find_first_not_of("# ");
      s << ".SS \"" << inlineText(text == std::string::npos ? "" : line.substr(text)) << "\"\n";
      ++i;
    } else if (startsWith(line, "- ") || startsWith(line, "* ")) {
      for (; i < lines.size() &&
             (startsWith(lines[i], "- ") || startsWith(lines[i], "* ") ||
              startsWith(lines[i], "  ")) &&
             !isBlank(lines[i]);
           ++i) {
        if (lines[i][0] != ' ') s << ".IP \\(bu 2\n";
        s << inlineText(lines[i].substr(2)) << "\n";
      }
    } else {
      s << ".PP\n";
      for (; i < lines.size() && !isBlank(lines[i]) && !startsWith(lines[i], "    ") &&
             !startsWith(lines[i], "|") && !startsWith(lines[i], "#");
           ++i) {
        s << inlineText(lines[i]) << "\n";
      }
    }
  }
  return s.str();
}

std::string scriptManual(const std::string& readme, const std::string& version,
                         ManualLanguage language, std::string* error) {
  // The section runs to the next heading of its level or above.
  std::istringstream in(readme);
  std::string section;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (!inside) {
      inside = line == "### Scripts";
      continue;
    }
    if (startsWith(line, "# ") || startsWith(line, "## ") || startsWith(line, "### ")) break;
    section += line + "\n";
  }
  if (!inside) {
    if (error) *error = "the README has no \"### Scripts\" section";
    return {};
  }
  const bool zh = language == ManualLanguage::Chinese;
  std::ostringstream s;
  s << ".\\\" Made from the README's \"Scripts\" section at build time.\n"
    << ".TH AX7-CONTROL-SCRIPT 7 \"\" \"ax7\\-control " << roffEscape(version) << "\" \""
    << (zh ? "杂项" : "Miscellaneous Information Manual") << "\"\n"
    << (zh ? ".ds AD l\n.ad l\n" : "") << ".SH " << (zh ? "名称" : "NAME")
    << "\nax7\\-control\\-script \\- "
    << (zh ? "ax7\\-control 的脚本语言（\\-\\-script）"
           : "the script language of ax7\\-control (\\-\\-script)")
    << "\n.SH " << (zh ? "概要" : "SYNOPSIS") << "\n.B ax7\\-control\n"
    << "[\\fI" << (zh ? "选项" : "OPTIONS") << "\\fR] \\fB\\-\\-script\\fR \\fI"
    << (zh ? "文件" : "FILE") << "\\fR\n"
    << ".SH " << (zh ? "描述" : "DESCRIPTION") << "\n";
  if (zh) {
    s << "脚本从外部驱动窗口：第一次同步结束（或失败）后，\\fI文件\\fR中的命令逐条执行，"
         "像人一样操作控件。以下参考与 README 相同，为英文。\n";
  }
  s << markdownToRoff(section) << ".SH " << (zh ? "参见" : "SEE ALSO")
    << "\n\\fBax7\\-control\\fR(1), \\fBax7ctl\\fR(1)\n";
  return zh ? withChineseBreaks(s.str()) : s.str();
}

}  // namespace ax7::docs
