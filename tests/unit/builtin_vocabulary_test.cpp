// Checks the shipped word list itself: shape, numbering, headwords, the irregular lines kept
// byte for byte, line lengths and the character set.
#include <gtest/gtest.h>
#include <iconv.h>

#include <set>
#include <string>
#include <vector>

#include "vocabulary/builtin_vocabulary.h"
#include "vocabulary/text.h"

namespace xiulan {
namespace {

// clang-format off
const char* const kHeadwords[] = {
    "file", "command", "use", "program", "line", "if", "display", "set", "key", "list", "by",
    "press", "with", "format", "change", "cursor", "directory", "from", "menu", "option",
    "character", "current", "type", "screen", "specify", "move", "disk", "text", "drive", "see",
    "name", "record", "box", "database", "help", "memory", "whichpro", "all", "on", "copy",
    "shell", "delete", "enter", "margin", "mark", "also", "do", "information", "choose", "select",
    "group", "first", "field", "procedure", "print", "return", "number", "selected", "want",
    "window", "message", "dialog", "example", "create", "insert", "related", "item", "edit",
    "marked", "area", "parameter", "then", "variable", "tab", "up", "string", "each", "active",
    "topic", "start", "mode", "selection", "function", "word", "make", "right", "value", "button",
    "index", "without", "appearvi", "left", "save", "next", "off", "following", "control", "only",
    "user", "end", "system", "contain", "time", "letter", "data", "setting", "desire", "position",
    "down", "task", "view", "switch", "include", "get", "default", "structure", "into", "path",
    "blank", "open", "add", "enable", "operation", "erase", "filename", "search", "another",
    "last", "column", "after", "prompt", "two", "execute", "about", "escape", "error",
    "currently", "extension", "same", "status", "run", "argument", "statement", "shift", "store",
    "scroll", "replace", "macro", "page", "quit", "define", "reference", "other", "while",
    "pressing", "restore", "top", "how", "color", "allow", "block", "decimal", "main",
    "definition", "between", "optional", "date", "remove", "arrow", "label", "within", "issue",
    "different", "available", "returned", "associate", "attribute", "dos", "before", "order",
    "modify", "array", "mouse", "note", "locate", "video", "printer", "bar", "bottom", "carriage",
    "content", "either", "ok", "space", "editor", "existvi", "scope", "paragraph", "multi",
    "clear", "exit", "report", "execution", "backup", "version", "find", "pointer", "subset",
    "keyboard", "full", "check", "should", "single", "positioning", "provide", "title",
    "expression", "through", "toggle", "code", "such", "beginning", "guide", "tree",
    "environment", "but", "device", "highlight", "call", "continue", "indicate", "until", "begin",
    "place", "rename", "swap", "work", "remainvi", "close", "combination", "profile", "unless",
    "sopro", "except", "turn", "back", "sure", "section", "follow", "split", "need", "access",
    "additional", "cancel", "document", "case", "numeric", "govi", "load", "try", "size",
    "entire", "leave", "history", "second", "reflow", "output", "out", "both", "install",
    "source", "way", "assign", "support", "specific", "join", "expand", "like", "diskette",
    "skip", "application", "confirmation", "whether", "hold", "click", "write", "byte",
    "abbreviate", "show", "otherwise", "working", "delimiter", "location", "perform", "graphic",
    "read", "confirm", "sort", "clause", "once", "however", "extend", "look", "starting", "now",
    "original", "correspondvi", "property", "several", "learn", "cause", "bracket", "omit",
    "running", "sub-directory", "edge", "form", "instruction", "ascii", "below", "standard",
    "occurrence", "lock", "append", "destination", "password", "point", "variety", "many",
    "buffer", "useful", "object", "again", "operating", "carry", "update", "moving",
    "coprocessor", "overlay", "practice", "navigation", "automatically", "total", "previous",
    "software", "shortcut", "long", "unique", "part", "updated", "internal", "fill", "basic",
    "math", "since", "determine", "making", "center", "already", "keyword", "action", "condition",
    "quick", "assigned", "give", "large", "chapter", "computer", "complete", "past", "match",
    "recover", "always", "require", "opening", "network", "sign", "release", "three", "recall",
    "deletion", "fixed", "amount", "alias", "quote", "correct", "else", "maximum", "under",
    "take", "switching", "element", "modification", "modified", "input", "uppercase", "plus",
    "found", "debug", "force", "lowercase", "just", "undo", "environ", "why", "temporary", "put",
    "instead", "encounter", "across", "matching", "wildcard", "spill", "level", "browse",
    "speech", "occurvi", "memo", "prior", "loaded", "length", "round", "variant", "floppy",
    "machine", "square", "supply", "home", "normal", "onto", "during", "module", "monochrome",
    "assistance", "tell", "library", "demonstration", "stack", "even", "evaluate", "times",
    "previously", "directly", "logical", "template", "calling", "later", "driver", "therefore",
    "saving", "detail", "linker", "loop", "process", "scheme", "every", "refer", "possible",
    "above", "overview", "result", "syntax", "abbreviation", "bios", "hidden", "null", "send",
    "private", "hard", "hardware", "say", "equal", "pack", "minus", "alternate", "collapse",
    "corner", "present", "interpreter", "advance", "forward", "fast", "special", "slash",
    "utility", "regardless", "disable", "compatible", "dependvi", "empty", "alphabetical",
    "branch", "resume", "multiple", "monitor", "configuration", "replacement", "required",
    "macros", "table", "loss", "batch", "exact", "aboveboard", "activate", "around", "slow",
    "floating", "refresh", "stop", "pass", "public", "eject", "ignore", "share", "sequence",
    "consistvi", "step", "double", "comevi", "lower", "describe", "count", "pop", "valid",
    "suspend", "enhance", "separate", "echo", "necessary", "greaterthan", "able", "marking",
    "ask", "term", "bring", "warning", "less", "whosepro", "comment", "effect", "expanding",
    "on-line", "reorder", "direct", "enclose", "reset", "various", "paper", "prevent", "side",
    "push", "programming", "upper", "row", "pressed", "temporarily", "day", "repaint", "redefine",
    "relation", "dimension", "boundary", "zoom", "initialize", "personal", "helloin", "true",
    "wish", "font", "know", "convert", "global", "still", "installation", "invoke", "interactive",
    "described", "century", "literal", "rather", "exclusive", "marker", "wait", "appropriate",
    "fit", "adapter", "filter", "break", "backward", "searching", "receive", "dual", "retry",
    "normally", "exactly", "immediately", "separated", "high", "equivalent", "light", "zero",
    "storage", "width", "language", "startup", "much", "per", "over", "mirror", "request",
    "keypad", "keep", "resident", "learning", "talk", "summary", "well", "link", "accordingto",
    "identify", "designated", "pertainvi", "expansion", "incompatible", "blinking", "month",
    "precede", "readily", "transportable", "appropriately", "routine", "ready", "listing",
    "newly", "year", "contact", "session", "own", "redraw", "here", "manual", "particular",
    "rectangle", "additive", "similar", "assembly", "copyright", "description", "retrieve",
    "mistake", "produce", "ram", "exception", "digit", "reverse", "minimum", "enough", "although",
    "reindex", "third", "red", "along", "test", "small", "feed", "company", "movie", "compile",
    "frequently", "undefined", "state", "tickv", "accept", "intense", "documentation", "asterisk",
    "easily", "become", "address", "interface", "pausevi", "repeat", "restart", "assumed",
    "speed", "entry", "combine", "organize", "finished", "mixed", "permit", "formatting", "root",
    "symbol", "binary", "whenever", "reach", "caution", "subtotal", "card", "general",
    "associated", "transfer", "connect", "partition", "hexadecimal", "generate", "specification",
    "customize", "far", "nest", "duplicate", "compression", "unable", "means", "alternately",
    "intensity", "reading", "let", "explicitly", "compare", "sector", "problem", "vertically",
    "horizontally", "backspace", "terminate", "people", "short", "drag", "formatted", "preview",
    "underscore", "correctly", "initially", "reformat", "inside", "integrate", "controlled",
    "period", "huge", "determined", "trailing", "seek", "introduction", "indent", "base",
    "integer", "attempt", "twice", "formed", "subscript", "tiny", "model", "correction", "rating",
    "secondary", "opened", "limit", "sun", "translate", "reason", "colon", "avoid", "range",
    "allocate", "wordperfect", "simply", "verify", "manner", "direction", "portion", "emulator",
    "successful", "applied", "sum",
};
// clang-format on

// Lines whose bytes are fixed exactly: the irregular ones and the quoted examples.
const char* const kExactLines[] = {
    "001、file　n.文件　v.保存文件",
    "002、command　n.命令，指令",
    "007、display　　vt.显示，显示器",
    "017、directory n.目录，索引簿",
    "035、help　v.&n.帮助",
    "091、appearvi、出现，显现，好像",
    "099、user  　n.用户",
    "159、color　n.颜色，色彩，(彩)色",
    "178、dos磁盘操作系统",
    "192、either　a.&pro　n.任何一个，各",
    "196、existvi、存在，生存，有",
    "199、multi(词头)多",
    "221、such　a.&pro　n.这样的，如此",
    "226、but但是，可是，除非，不过",
    "238、remainvi、剩下，留下，仍然",
    "258、govi、运行，达到",
    "307、correspondvi、通信(联系)",
    "320、below　a.&　prep.下列的；低于",
    "417、occurvi、发生，出现，存在",
    "489、dependvi、随…而定，取决于",
    "506、around　ad.&　prep.周围，围绕",
    "517、consistvi、符合，包括",
    "520、comevi、来，到，出现",
    "531、greaterthan大于",
    "555、row　n.行",
    "623、pertainvi、附属，属于，关于",
    "653、ram随机存取存储器",
    "673、tickv；n.滴答(响)；勾号(√)",
    "682、pausevi、暂停",
    "709、specification　n.说明书，规则说明书",
    "777、sum　n.和，合计，总额",
};

const std::set<int> kIrregular = {1,   7,   17,  91,  99,  178, 192, 196, 199, 221, 226, 238, 258,
                                  307, 320, 417, 489, 506, 517, 520, 531, 623, 653, 673, 682};

bool isGb2312(const std::string& gbk) {
  iconv_t cd = iconv_open("UTF-8", "GB2312");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return false;
  std::string in = gbk;
  std::string out(in.size() * 2 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t srcLeft = in.size();
  std::size_t dstLeft = out.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok && srcLeft == 0;
}

std::vector<std::string> builtInLines() {
  std::vector<std::string> lines;
  for (const Text& line : splitText(Text(kBuiltInVocabulary), "\r\n")) {
    lines.emplace_back(line.bytes());
  }
  return lines;
}

TEST(BuiltInVocabularyTest, Shape) {
  const std::string all(kBuiltInVocabulary);
  EXPECT_EQ(all.find('\0'), std::string::npos);
  EXPECT_EQ(all.find('\t'), std::string::npos);
  EXPECT_NE(all.substr(all.size() - 2), "\r\n");
  const std::vector<std::string> lines = builtInLines();
  ASSERT_EQ(lines.size(), 777u);
  ASSERT_EQ(std::size(kHeadwords), 777u);
  std::set<std::string> seen;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int number = static_cast<int>(i) + 1;
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%03d", number);
    SCOPED_TRACE(line);
    EXPECT_EQ(line.substr(0, 5), std::string(prefix) + "、");
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_GE(line.size(), 14u);
    EXPECT_LE(line.size(), 40u);
    EXPECT_TRUE(isGb2312(line));
    for (char c : line)
      EXPECT_FALSE(c >= 'A' && c <= 'Z');
    const std::string headword = kHeadwords[i];
    EXPECT_EQ(line.compare(5, headword.size(), headword), 0);
    EXPECT_TRUE(seen.insert(headword).second) << "repeated headword";
    if (!kIrregular.contains(number)) {
      // The regular form: headword, one U+3000, then a part of speech ending in a full stop.
      const std::string afterHeadword = line.substr(5 + headword.size());
      EXPECT_EQ(afterHeadword.substr(0, 2), "　");
      EXPECT_EQ(findText(Text(afterHeadword.substr(2)), "　"), -1);
      const std::size_t dot = afterHeadword.find('.');
      ASSERT_NE(dot, std::string::npos);
      for (std::size_t k = 2; k < dot; ++k) {
        const char c = afterHeadword[k];
        EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '&') << "part of speech";
      }
    }
  }
}

TEST(BuiltInVocabularyTest, FixedLinesAreKeptByteForByte) {
  const std::vector<std::string> lines = builtInLines();
  ASSERT_EQ(lines.size(), 777u);
  for (const char* exact : kExactLines) {
    const int number = std::stoi(std::string(exact, 3));
    EXPECT_EQ(lines[static_cast<std::size_t>(number - 1)], exact);
  }
  EXPECT_EQ(lines[554].size(), 14u);
  EXPECT_EQ(lines[708].size(), 40u);
}

}  // namespace
}  // namespace xiulan
