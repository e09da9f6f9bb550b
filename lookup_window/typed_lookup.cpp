// Typed lookup: the query box's text looked up in the vocabulary list, the matches and their
// count (or a message) in the output box, the query added to the drop-down history.
#include <cstdint>
#include <string>

#include "lookup_window/lookup_window.h"
#include "vocabulary/line_lookup.h"

namespace xiulan::lookup {

void runTypedLookup(toolkit::Window& window) {
  window.setText(编辑框_输出框, Text());
  const Text query = window.text(组合框_搜索内容);
  if (compareText(query, Text()) == 0) {
    window.setText(编辑框_输出框, "请先输入你要查找的内容");
    return;
  }
  std::int32_t count = 0;
  window.setFocus(组合框_搜索内容);
  const Text vocabulary = window.text(编辑框_词汇);

  // Nothing repaints while the handler runs, so the box receives all matching lines in one
  // append, with the same final text as one append per line; a query that matches most of
  // a large vocabulary then costs about as much as setting that text once.
  std::string lines;
  for (LineLookup lookup(vocabulary, query); auto line = lookup.next();) {
    lines.append(*line);
    lines.append("\r\n");
    ++count;
  }
  if (!lines.empty())
    window.appendText(编辑框_输出框, Text(std::move(lines)));

  window.setFocus(组合框_搜索内容);
  if (count != 0) {
    window.appendText(编辑框_输出框, concatText("\r\n找到:", integerToText(count), "处包含\"",
                                                query, "\"的内容。"));
  } else {
    window.setText(编辑框_输出框, concatText("找不到:\"", query, "\""));
  }
  window.addListItem(组合框_搜索内容, query);
}

}  // namespace xiulan::lookup
