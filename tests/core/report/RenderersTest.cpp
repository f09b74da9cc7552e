#include "ReportTestSupport.h"

#include "core/report/HtmlRenderer.h"
#include "core/report/PlainTextRenderer.h"

namespace brivel::report::test {
namespace {

std::size_t count(const std::string& haystack, const std::string& needle) {
    std::size_t n = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++n;
    return n;
}

StyledText sample() {
    StyledText text;
    text.append("AAPL\n", TextStyle::Date);
    text.append("Net Profit: $-12.50\n", TextStyle::LossProfit);
    text.appendAttachment({"B0W1/x.png", "/data/B0W1/x y.png"});
    text.append("\n", TextStyle::Date);
    return text;
}

TEST(PlainTextRendererTest, TextInOrderWithImagesByPath) {
    StyledText text = sample();
    text.append("", TextStyle::Note); // nothing to show, no run
    EXPECT_EQ(text.runs().size(), 4u);
    EXPECT_EQ(text.string(), "AAPL\nNet Profit: $-12.50\n\n"); // the text alone
    EXPECT_EQ(renderPlainText(text), "AAPL\nNet Profit: $-12.50\n[image: /data/B0W1/x y.png]\n");
    EXPECT_EQ(renderPlainText(StyledText()), "");
}

TEST(HtmlRendererTest, StylesBecomeClassesWithTheirLook) {
    std::string html = renderHtml(sample());
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("<span class=\"dateAttributes\">AAPL\n</span>"), std::string::npos);
    EXPECT_NE(html.find("<span class=\"lossProfitAttributes\">Net Profit: $-12.50\n</span>"),
              std::string::npos);
    // The style sheet carries the fonts, sizes, underline and the pure background colours.
    auto rule = [&](const std::string& cls) {
        auto at = html.find("." + cls + " {");
        return at == std::string::npos ? std::string() : html.substr(at, html.find('}', at) - at);
    };
    EXPECT_NE(rule("dateAttributes").find("font-size: 18pt"), std::string::npos);
    EXPECT_NE(rule("dateAttributes").find("font-weight: bold"), std::string::npos);
    EXPECT_NE(rule("dateAttributes").find("text-decoration: underline"), std::string::npos);
    EXPECT_NE(rule("flaggedNoteAttributes").find("background-color: #ffff00"), std::string::npos);
    EXPECT_NE(rule("gainProfitAttributes").find("background-color: #00ff00"), std::string::npos);
    EXPECT_NE(rule("lossProfitAttributes").find("background-color: #ff0000"), std::string::npos);
    EXPECT_NE(rule("noteAttributes").find("font-weight: normal"), std::string::npos);
    EXPECT_EQ(rule("noteAttributes").find("background"), std::string::npos);
    // Line breaks and runs of spaces show as they are.
    EXPECT_NE(html.find("white-space: pre-wrap"), std::string::npos);
    // The image by absolute file URL, the space percent-encoded.
    EXPECT_NE(html.find("<img src=\"file:///data/B0W1/x%20y.png\" alt=\"\">"), std::string::npos);
    // Plain runs have no style.
    EXPECT_NE(renderHtml(StyledText::plain("No results."))
                  .find("<div class=\"report\">No results.</div>"),
              std::string::npos);
}

TEST(HtmlRendererTest, StoreTextCannotBecomeMarkup) {
    StyledText text;
    text.append("<script>alert('x')</script> & \"q\"", TextStyle::Note);
    text.append("</span><img src=x onerror=alert(1)>", TextStyle::FlaggedNote);
    text.appendAttachment({"n", "/a/\"><script>.png"});
    std::string html = renderHtml(text, "<title>");
    EXPECT_EQ(count(html, "<script"), 0u);
    EXPECT_EQ(count(html, "<img"), 1u);
    EXPECT_NE(html.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;"),
              std::string::npos);
    EXPECT_NE(html.find("<title>&lt;title&gt;</title>"), std::string::npos);
    EXPECT_NE(html.find("file:///a/%22%3E%3Cscript%3E.png"), std::string::npos);
}

TEST(HtmlRendererTest, InvalidUtf8AndControlCharactersAreReplaced) {
    StyledText text;
    text.append(std::string("ok \xC3\xA9 bad \xFF\xC3 over \xC0\xAF nul ") + '\0' + "x\r\n",
                TextStyle::Note);
    std::string html = renderHtml(text);
    EXPECT_NE(
        html.find(
            "ok \xC3\xA9 bad \xEF\xBF\xBD\xEF\xBF\xBD over \xEF\xBF\xBD\xEF\xBF\xBD nul  x\n"),
        std::string::npos);
}

} // namespace
} // namespace brivel::report::test
