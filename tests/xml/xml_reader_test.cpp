#include "xml/xml_reader.h"

#include <gtest/gtest.h>

#include "support/memory_file.h"
#include "support/test_files.h"

namespace tessaly {
namespace {

using testing::TempFolder;

class XmlReaderTest : public ::testing::Test {
  protected:
    XmlReader& readerOn(const std::string& content) {
        reader_.open(testing::memoryFile(content));
        return reader_;
    }

    // The kind and text of the next token, read by refusing it.
    std::pair<TokenKind, std::string> firstToken(const std::string& content) {
        XmlReader& reader = readerOn(content);
        reader.expectOpenTag("\x01never");
        return {reader.currentKind(), reader.currentText()};
    }

    TempFolder folder_;
    XmlReader reader_;
};

TEST_F(XmlReaderTest, TokenKindsAndTexts) {
    struct Case {
        const char* input;
        TokenKind kind;
        const char* text;
    };
    const Case cases[] = {
        {"<PROJECT>", TokenKind::OpenTag, "PROJECT"},
        {"<PROJECT >", TokenKind::OpenTag, "PROJECT "},
        {"< PROJECT>", TokenKind::OpenTag, " PROJECT"},
        {"<PROJECT/>", TokenKind::OpenTag, "PROJECT/"},
        {"<A b=\">\">", TokenKind::OpenTag, "A b=\""},  // quotes mean nothing
        {"<>", TokenKind::OpenTag, ""},
        {"</NAME >", TokenKind::CloseTag, "NAME "},
        {"</>", TokenKind::CloseTag, ""},
        {"  \t\r\n word one  <", TokenKind::Text, "word one  "},
        {"a &amp; b<", TokenKind::Text, "a &amp; b"},  // as written in the file
        {"\xEF\xBB\xBF<PROJECT>", TokenKind::Text, "\xEF\xBB\xBF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const auto [kind, text] = firstToken(c.input);
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(text, c.text);
    }
}

// Tokens are scanned in place inside a block and gathered when they reach
// past it: both ways must read the same, wherever a block ends.
TEST_F(XmlReaderTest, TokensReadTheSameWhereverABlockEnds) {
    const std::string tokens = "<FILEREF><PATH>a &amp; b\r\nc</PATH><!-- <x> --></FILEREF ><>";
    for (std::size_t shift = 0; shift <= tokens.size(); ++shift) {
        SCOPED_TRACE(shift);
        XmlReader& reader = readerOn(std::string(TextInput::kBlockSize - shift, ' ') + tokens);
        std::string text;
        ASSERT_TRUE(reader.expectOpenTag("FILEREF"));
        ASSERT_TRUE(reader.expectOpenTag("PATH"));
        ASSERT_TRUE(reader.readText(text));
        EXPECT_EQ(text, "a & b\nc");
        ASSERT_TRUE(reader.expectCloseTag("PATH"));
        EXPECT_FALSE(reader.expectCloseTag("FILEREF"));
        EXPECT_EQ(reader.currentText(), "FILEREF ");
        ASSERT_TRUE(reader.expectCloseTag("FILEREF "));
        ASSERT_TRUE(reader.expectOpenTag(""));
    }
}

TEST_F(XmlReaderTest, NulAndHighBytesAreOrdinaryCharacters) {
    const std::string input("<A\0\xFF>x\0y\xFF<", 10);
    XmlReader& reader = readerOn(input);
    EXPECT_TRUE(reader.expectOpenTag(std::string("A\0\xFF", 3)));
    std::string text;
    EXPECT_TRUE(reader.readText(text));
    EXPECT_EQ(text, std::string("x\0y\xFF", 4));
}

TEST_F(XmlReaderTest, SpecialTokensKeepInnerBracketsAndAreSkippedByTagHelpers) {
    const std::string input =
        "<?xml version=\"1.0\"?>\n<?codewarrior exportversion=\"1.0.1\"?>\n"
        "<!DOCTYPE PROJECT [\n<!ELEMENT PROJECT (A)>\n<!ELEMENT A (#PCDATA)>\n]>\n"
        "<!-- a comment -->\n<PROJECT><!-- x --></PROJECT>";
    XmlReader& reader = readerOn(input);
    std::string special;
    ASSERT_TRUE(reader.readSpecial(special));
    EXPECT_EQ(special, "xml version=\"1.0\"?");
    ASSERT_TRUE(reader.readSpecial(special));
    ASSERT_TRUE(reader.readSpecial(special));
    EXPECT_EQ(special, "DOCTYPE PROJECT [\n<!ELEMENT PROJECT (A)>\n<!ELEMENT A (#PCDATA)>\n]");
    EXPECT_TRUE(reader.expectOpenTag("PROJECT"));
    EXPECT_TRUE(reader.expectCloseTag("PROJECT"));
}

TEST_F(XmlReaderTest, CommentTextKeepsItsDashes) {
    XmlReader& reader = readerOn("<!-- Settings for \"C/C++ Compiler\" panel -->");
    std::string comment;
    ASSERT_TRUE(reader.readSpecial(comment));
    EXPECT_EQ(comment, "-- Settings for \"C/C++ Compiler\" panel --");
}

TEST_F(XmlReaderTest, RefusedTokenStaysPendingForTheNextHelper) {
    XmlReader& reader = readerOn("<GROUP><NAME>n</NAME>");
    EXPECT_FALSE(reader.expectOpenTag("FILEREF"));
    EXPECT_FALSE(reader.expectCloseTag("GROUP"));
    std::string text = "unchanged";
    EXPECT_FALSE(reader.readText(text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(reader.currentText(), "GROUP");
    EXPECT_TRUE(reader.expectOpenTag("GROUP"));
    EXPECT_TRUE(reader.expectOpenTag("NAME"));
}

TEST_F(XmlReaderTest, ReadTextOfEmptyElementLeavesCloseTagPending) {
    for (const char* input : {"<NAME></NAME>", "<NAME>  \r\n\t </NAME>"}) {
        SCOPED_TRACE(input);
        XmlReader& reader = readerOn(input);
        ASSERT_TRUE(reader.expectOpenTag("NAME"));
        std::string text = "x";
        EXPECT_TRUE(reader.readText(text));
        EXPECT_EQ(text, "");
        EXPECT_TRUE(reader.expectCloseTag("NAME"));
    }
}

TEST_F(XmlReaderTest, ReadTextDropsLeadingAndKeepsTrailingBlanks) {
    XmlReader& reader = readerOn("<NAME>  two words  </NAME>");
    ASSERT_TRUE(reader.expectOpenTag("NAME"));
    std::string text;
    ASSERT_TRUE(reader.readText(text));
    EXPECT_EQ(text, "two words  ");
}

TEST_F(XmlReaderTest, ReadTextRefusesACommentAfterTheOpenTag) {
    XmlReader& reader = readerOn("<NAME><!-- c -->x</NAME>");
    ASSERT_TRUE(reader.expectOpenTag("NAME"));
    std::string text;
    EXPECT_FALSE(reader.readText(text));
    EXPECT_EQ(reader.currentKind(), TokenKind::Special);
}

TEST_F(XmlReaderTest, ReadTextDecodesThePredefinedEntitiesOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"File &amp; Stream &lt;a&gt; &quot;q&quot; &apos;s&apos; &#176; &unknown; &amp",
         "File & Stream <a> \"q\" 's' &#176; &unknown; &amp"},
        // Decoded once: what a decoding gives is never decoded again.
        {"&amp;lt;", "&lt;"},
        {"&amp;amp;", "&amp;"},
        {"a &amp;quot;b&amp;quot; &amp;#176;", "a &quot;b&quot; &#176;"},
        {"&&amp;gt;", "&&gt;"},
    };
    for (const auto& [written, read] : cases) {
        SCOPED_TRACE(written);
        XmlReader& reader = readerOn(std::string("<N>") + written + "</N>");
        ASSERT_TRUE(reader.expectOpenTag("N"));
        std::string text;
        ASSERT_TRUE(reader.readText(text));
        EXPECT_EQ(text, read);
    }
}

TEST_F(XmlReaderTest, CrLfReadsAsLfAndLoneCrIsKept) {
    XmlReader& reader = readerOn(
        "<N>a\r\nb\rc\x1A"
        "d</N>");
    ASSERT_TRUE(reader.expectOpenTag("N"));
    std::string text;
    ASSERT_TRUE(reader.readText(text));
    EXPECT_EQ(text,
              "a\nb\rc\x1A"
              "d");
}

TEST_F(XmlReaderTest, EndOfInputAnywhereThrowsCodeOne) {
    const char* inputs[] = {
        "",
        "   \r\n ",
        "<",
        "<PROJECT",
        "</PROJECT",
        "<!-- open",
        "<!DOCTYPE [<x>",
        "text without end",
        "<?xml",
    };
    for (const char* input : inputs) {
        SCOPED_TRACE(input);
        XmlReader& reader = readerOn(input);
        try {
            reader.expectOpenTag("PROJECT");
            reader.expectOpenTag("PROJECT");
            FAIL() << "no error";
        } catch (const XMLReaderError& error) {
            EXPECT_EQ(error.code(), ErrorCode::UnexpectedEnd);
        }
    }
}

TEST_F(XmlReaderTest, MissingFileOrFolderThrowsCodeTwo) {
    for (const std::string& path : {(folder_.path() / "missing.xml").string(), folder_.str()}) {
        XmlReader reader;
        try {
            reader.open(systemPlatform().openForReading(path));
            FAIL() << "opened " << path;
        } catch (const XMLReaderError& error) {
            EXPECT_EQ(error.code(), ErrorCode::CannotOpen);
        }
    }
}

TEST_F(XmlReaderTest, SkipElementContentCountsNestingWithoutRecursion) {
    std::string input = "<L>";
    for (int i = 0; i < 100000; ++i) {
        input += "<P kind = \"x\">";
    }
    input += "<E/>";
    for (int i = 0; i < 100000; ++i) {
        input += "</P>";
    }
    input += "</L><NEXT>";
    XmlReader& reader = readerOn(input);
    ASSERT_TRUE(reader.expectOpenTag("L"));
    EXPECT_TRUE(reader.skipElementContent("L"));
    EXPECT_TRUE(reader.expectOpenTag("NEXT"));
}

TEST_F(XmlReaderTest, SkipElementContentRefusesAMismatchedCloseTag) {
    XmlReader& reader = readerOn("<L><P></P></X>");
    ASSERT_TRUE(reader.expectOpenTag("L"));
    EXPECT_FALSE(reader.skipElementContent("L"));
    EXPECT_EQ(reader.currentText(), "X");
}

}  // namespace
}  // namespace tessaly
