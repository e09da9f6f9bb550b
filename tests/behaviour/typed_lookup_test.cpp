// Typed lookup: what the output box holds after a search, the query history and the focus.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "lookup_window/lookup_window.h"
#include "vocabulary/builtin_vocabulary.h"

namespace xiulan::testing {
namespace {

using namespace lookup;
using toolkit::sim::SimWindow;

constexpr int kReturn = 0x0D;

using TypedLookupTest = DesktopTest;

TEST_F(TypedLookupTest, OutputHistoryAndFocus) {
  struct Case {
    const char* what;
    Text query;
    Text output;
    bool addsHistory = true;
    std::optional<std::string> vocabulary{};  // the built-in list when not given
  };
  const Text allLines = concatText(kBuiltInVocabulary, "\r\n");
  const Case cases[] = {
      {"one match", "help", concatText(builtInLines({35}), "\r\n找到:1处包含\"help\"的内容。")},
      {"three matches", "file",
       concatText(builtInLines({1, 125, 241}), "\r\n找到:3处包含\"file\"的内容。")},
      {"the same query again", "file",
       concatText(builtInLines({1, 125, 241}), "\r\n找到:3处包含\"file\"的内容。")},
      {"no case folding", "File", "找不到:\"File\""},
      {"every line", "、", concatText(allLines, "\r\n找到:777处包含\"、\"的内容。")},
      {"one ASCII space", " ", concatText(builtInLines({17, 99}), "\r\n找到:2处包含\" \"的内容。")},
      {"a trailing space is kept", "file ", "找不到:\"file \""},
      {"two ideographic spaces", "　　",
       concatText(builtInLines({7}), "\r\n找到:1处包含\"　　\"的内容。")},
      {"a Chinese query", "帮助",
       concatText(builtInLines({35, 434}), "\r\n找到:2处包含\"帮助\"的内容。")},
      {"an empty query", "", "请先输入你要查找的内容", false},
      {"an empty vocabulary", "file", "找不到:\"file\"", true, ""},
      {"an edited vocabulary read afresh", "mine",
       "002、mine　n.我的\r\n\r\n找到:1处包含\"mine\"的内容。", true,
       "001、file　n.文件\r\n002、mine　n.我的"},
  };

  SimWindow& window = start();
  std::vector<Text> history;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window.setText(编辑框_词汇, c.vocabulary ? Text(*c.vocabulary) : Text(kBuiltInVocabulary));
    window.setText(组合框_搜索内容, c.query);
    window.setText(编辑框_输出框, "left from before");
    desktop.clickButton(window, 按钮1);  // the click leaves the focus on the button

    EXPECT_EQ(window.text(编辑框_输出框), c.output);
    if (c.addsHistory)
      history.push_back(c.query);
    EXPECT_EQ(window.listItems(组合框_搜索内容), history);
    // A search gives the focus to the query box; the refused empty query leaves it alone.
    EXPECT_EQ(window.focusedControl(), c.addsHistory ? 组合框_搜索内容 : 按钮1);
    EXPECT_EQ(window.text(组合框_搜索内容), c.query);
  }
}

TEST_F(TypedLookupTest, TypingAndEnterSearchAndReplaceTheWelcomeText) {
  SimWindow& window = start();
  ASSERT_EQ(window.text(编辑框_输出框), Text(kWelcomeText));
  desktop.typeText("help");
  desktop.pressKey(kReturn);
  EXPECT_EQ(window.text(编辑框_输出框),
            concatText(builtInLines({35}), "\r\n找到:1处包含\"help\"的内容。"));
  EXPECT_EQ(window.listItems(组合框_搜索内容), std::vector<Text>{"help"});

  // Enter again repeats the search: the same output, the query twice in the history.
  desktop.pressKey(kReturn);
  EXPECT_EQ(window.text(编辑框_输出框),
            concatText(builtInLines({35}), "\r\n找到:1处包含\"help\"的内容。"));
  EXPECT_EQ(window.listItems(组合框_搜索内容), (std::vector<Text>{"help", "help"}));
}

}  // namespace
}  // namespace xiulan::testing
