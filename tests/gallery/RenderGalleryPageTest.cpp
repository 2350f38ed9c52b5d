#include <gtest/gtest.h>

#include <string>

#include "gallery/renderGalleryPage.h"

namespace {

using namespace std::string_literals;

const std::string hostile = "<img src=x onerror=alert(1)></script><script>alert(2)</script>\"'&%#? \\\x01\xFF"s;

GalleryAtlas written(std::string name) {
    GalleryAtlas atlas;
    atlas.name = name;
    atlas.state = AtlasState::written;
    atlas.width = 512;
    atlas.height = 256;
    atlas.formatName = "RGBA32";
    atlas.pngBytes = 3000;
    atlas.pngPath = {"OutPut", name + ".png"};
    atlas.thumbnailPath = {"Gallery", name + ".png"};
    atlas.thumbnailWidth = 256;
    atlas.thumbnailHeight = 128;
    return atlas;
}

GalleryPage hostilePage() {
    GalleryPage page;
    page.title = "~" + hostile;
    GallerySection section;
    section.groupName = hostile;
    section.subGroupName = "sub" + hostile;
    section.atlases.push_back(written(hostile));
    GalleryAtlas failed;
    failed.name = "bad" + hostile;
    failed.state = AtlasState::failed;
    failed.reason = "cannot write " + hostile;
    section.atlases.push_back(failed);
    GalleryAtlas skipped;
    skipped.name = "skip";
    skipped.state = AtlasState::skipped;
    skipped.reason = "format code 7 is not in the index file";
    section.atlases.push_back(skipped);
    GalleryAtlas unreached;
    unreached.name = "later";
    unreached.reason = "the run ended before this atlas";
    section.atlases.push_back(unreached);
    page.sections.push_back(section);
    page.endReason = "Output Budget : Exceeded";
    return page;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(RenderGalleryPage, HostileNamesNeverBecomeMarkupOrScript) {
    const std::string html = renderGalleryPage(hostilePage());
    EXPECT_EQ(html.find("<img src=x"), std::string::npos);
    EXPECT_EQ(html.find("onerror=alert"), html.find("onerror=alert(1)&gt;")) << "only as escaped text";
    EXPECT_EQ(occurrences(html, "<script"), 2U) << "the data element and the page's own script";
    EXPECT_EQ(occurrences(html, "</script>"), 2U);
    EXPECT_EQ(html.find('\x01'), std::string::npos);
    EXPECT_EQ(html.find('\xFF'), std::string::npos);
    EXPECT_EQ(html.find("{{"), std::string::npos) << "every marker filled";
    // The names are there as text, the links percent-encoded component by component.
    EXPECT_NE(html.find("&lt;img src=x onerror=alert(1)&gt;&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(html.find("href=\"OutPut/%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E%3C%2Fscript%3E"),
              std::string::npos);
    EXPECT_NE(html.find("%22%27%26%25%23%3F%20%5C%01%FF.png\""), std::string::npos);
    EXPECT_NE(html.find("src=\"Gallery/%3Cimg"), std::string::npos);
}

TEST(RenderGalleryPage, ShowsEveryStateWithItsReasonAndTheRunsEnd) {
    const std::string html = renderGalleryPage(hostilePage());
    EXPECT_NE(html.find(">DeCode Failed<"), std::string::npos);
    EXPECT_NE(html.find("cannot write &lt;img"), std::string::npos);
    EXPECT_NE(html.find(">Skipped<"), std::string::npos);
    EXPECT_NE(html.find("format code 7 is not in the index file"), std::string::npos);
    EXPECT_NE(html.find(">Not reached<"), std::string::npos);
    EXPECT_NE(html.find("4 atlases: 1 written, 1 failed, 1 skipped, 1 not reached"), std::string::npos);
    EXPECT_NE(html.find("The run ended early: Output Budget : Exceeded"), std::string::npos);
    EXPECT_NE(html.find("512 × 256 · RGBA32 · 2.9 KiB"), std::string::npos);
    EXPECT_NE(html.find("width=\"256\" height=\"128\" loading=\"lazy\""), std::string::npos);
    EXPECT_EQ(occurrences(html, "<a class=\"card\"") + occurrences(html, "<div class=\"card "), 4U);
    EXPECT_EQ(occurrences(html, "data-index="), 1U) << "only written atlases open in the viewer";
}

TEST(RenderGalleryPage, ThePolicyAdmitsNothingFromTheNetworkAndOnlyTheOwnScriptByHash) {
    const std::string html = renderGalleryPage(GalleryPage {});
    const std::size_t policy = html.find("http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                                         "img-src 'self' file:; style-src 'sha256-");
    ASSERT_NE(policy, std::string::npos);
    EXPECT_NE(html.find("script-src 'sha256-", policy), std::string::npos);
    EXPECT_EQ(html.find("unsafe-inline"), std::string::npos);
    EXPECT_EQ(html.find("http:"), std::string::npos);
    EXPECT_EQ(html.find("https:"), std::string::npos);
    EXPECT_EQ(html.find(" on"s + "click="), std::string::npos);
}

TEST(RenderGalleryPage, AWrittenAtlasWithoutThumbnailShowsItsPng) {
    GalleryPage page;
    GalleryAtlas atlas = written("a");
    atlas.thumbnailPath.clear();
    page.sections.push_back(GallerySection {"G", "S", {atlas}});
    const std::string html = renderGalleryPage(page);
    EXPECT_NE(html.find("<img src=\"OutPut/a.png\" width=\"512\" height=\"256\""), std::string::npos);
}

TEST(RenderGalleryPage, TheDataForTheScriptIsJsonThatCannotLeaveItsElement) {
    GalleryPage page;
    page.sections.push_back(GallerySection {"G", "S", {written("x</script><!--\xE2\x80\xA8")}});
    const std::string html = renderGalleryPage(page);
    const std::size_t start = html.find("<script type=\"application/json\" id=\"atlas-data\">");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = html.find("</script>", start);
    const std::string data = html.substr(start, end - start);
    EXPECT_NE(data.find("\"n\":\"x\\u003c/script\\u003e\\u003c!--\\u2028\""), std::string::npos) << data;
    EXPECT_NE(data.find("\"u\":\"OutPut/x%3C%2Fscript%3E%3C%21--%E2%80%A8.png\""), std::string::npos) << data;
}

} // namespace
