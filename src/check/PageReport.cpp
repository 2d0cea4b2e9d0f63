#include "CheckReport.h"
#include "FolderAccess.h"
#include "HotspotMap.h"
#include "HotspotTable.h"
#include "ReportWriters.h"
#include "SkinImage.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <algorithm>
#include <string>
#include <vector>

// The picture sits at a fixed place at scale 1, so that a page pixel maps to
// a skin pixel by a plain offset.
static const int kBoardLeft = 24;
static const int kBoardTop = 24;
static const int kCheckerSquare = 8;
static const unsigned char kCheckerDark = 0xCC;
static const unsigned char kCheckerLight = 0xFF;
// The largest picture the page previews. Chromium's PNG decoder refuses a side
// longer than a million pixels. At 2^24 pixels (4096 x 4096) a picture that
// does not compress (noise) makes a 90 MB page that Chromium took 90 s to
// show, and the checker's peak stays near 400 MB, which the 32-bit build can
// hold; 8000 x 8000 made 340 MB that Chromium had not shown after 10 minutes.
// The PNG encoder counts its sizes in int, far from wrapping at this size.
static const int64_t kPreviewSideLimit = 1000000;
static const int64_t kPreviewPixelLimit = int64_t(1) << 24;

static void AppendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

static std::string Base64(const std::string& bytes)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = uint32_t(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            group |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size())
            group |= uint8_t(bytes[i + 2]);
        out += kDigits[group >> 18 & 63];
        out += kDigits[group >> 12 & 63];
        out += i + 1 < bytes.size() ? kDigits[group >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return out;
}

static std::string PngDataUri(int width, int height, const std::vector<unsigned char>& rgba)
{
    std::string png;
    if (!stbi_write_png_to_func(AppendBytes, &png, width, height, 4, rgba.data(), width * 4))
        return std::string();
    return "data:image/png;base64," + Base64(png);
}

static std::string SkinPicture()
{
    int32_t width = CheckReport.skin.width;
    int32_t height = CheckReport.skin.height;
    std::vector<unsigned char> rgba(uint64_t(width) * uint64_t(height) * 4);
    SkinRgba(rgba.data());
    return PngDataUri(width, height, rgba);
}

static std::string Checkerboard()
{
    const int side = 2 * kCheckerSquare;
    std::vector<unsigned char> rgba(side * side * 4);
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            unsigned char shade = (x / kCheckerSquare + y / kCheckerSquare) % 2 ? kCheckerLight : kCheckerDark;
            unsigned char* out = &rgba[(y * side + x) * 4];
            out[0] = out[1] = out[2] = shade;
            out[3] = 255;
        }
    return PngDataUri(side, side, rgba);
}

static std::string HtmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

static std::string Escaped(const std::string& text)
{
    return HtmlEscaped(Printable(text));
}

static FindingLevel WorstLevel(int slot, int* any)
{
    FindingLevel worst = FindingLevel::Info;
    *any = 0;
    for (const Finding& finding : CheckReport.findings) {
        if (finding.slot != slot)
            continue;
        if (!*any || finding.level < worst)
            worst = finding.level;
        *any = 1;
    }
    return worst;
}

static std::string SpotTitle(int slot)
{
    const SlotRow& row = CheckReport.slots[slot];
    // Each part is made printable on its own, so that the line breaks between
    // them stay.
    std::string title = Printable("line " + std::to_string(row.line) + ": " + row.name) + "\nrectangle " +
                        std::to_string(row.left) + ", " + std::to_string(row.top) + ", " +
                        std::to_string(row.right) + ", " + std::to_string(row.bottom);
    for (const Finding& finding : CheckReport.findings)
        if (finding.slot == slot)
            title += "\n" + Printable(std::string(LevelWord(finding.level)) + " " + finding.kind + ": " + finding.message);
    return HtmlEscaped(title);
}

static std::string SoundUrl(const SlotRow& row)
{
    std::string file = row.soundFile;
    if (file.compare(0, 2, "./") == 0)
        file = CheckReport.folderPath + file.substr(1);
    return FileUrl(file);
}

static int FitsThePreview(const SkinSummary& skin)
{
    return skin.width <= kPreviewSideLimit && skin.height <= kPreviewSideLimit &&
           int64_t(skin.width) * skin.height <= kPreviewPixelLimit;
}

static int ShowsPicture()
{
    return CheckReport.skin.loaded && FitsThePreview(CheckReport.skin);
}

// The outline covers the edge pixels of the rectangle, which a press does not
// reach; sides beyond the picture are pushed just outside it. Its number tag
// goes on a layer beneath all outlines, so that no tag hides an edge.
struct OutlineBox {
    int64_t left, top, right, bottom;
};

// 1 when the slot has an outline to draw on the picture, with its place: on
// the edge pixels around the interior, as the editor draws it.
static int OutlineOf(int slot, OutlineBox* box)
{
    const SlotRow& row = CheckReport.slots[slot];
    PixelBox inside = HotspotInterior(HotspotRect{row.left, row.top, row.right, row.bottom});
    box->left = std::max<int64_t>(inside.x0 - 1, -1);
    box->top = std::max<int64_t>(inside.y0 - 1, -1);
    box->right = std::min<int64_t>(inside.x1, CheckReport.skin.width);
    box->bottom = std::min<int64_t>(inside.y1, CheckReport.skin.height);
    return ShowsPicture() && !row.name.empty() && !IsEmptyBox(inside) && box->right >= box->left &&
           box->bottom >= box->top;
}

// Where a finding about the slot points: its outline, or its table row
// when it has none on the picture.
static std::string AnchorOf(int slot)
{
    OutlineBox box;
    return (OutlineOf(slot, &box) ? "#slot-" : "#row-") + std::to_string(slot + 1);
}

static std::string SpotElements(int slot)
{
    const SlotRow& row = CheckReport.slots[slot];
    OutlineBox box;
    if (!OutlineOf(slot, &box))
        return std::string();
    int64_t left = box.left, top = box.top, right = box.right, bottom = box.bottom;
    int any;
    FindingLevel level = WorstLevel(slot, &any);
    std::string classes = std::string(ActionWord(row)) + (any ? std::string(" ") + LevelWord(level) : "");
    std::string id = std::to_string(slot + 1);
    std::string link = row.soundFile.empty() ? "#slot-" + id : SoundUrl(row);
    std::string place = "left:" + std::to_string(left) + "px;top:" + std::to_string(top) + "px;";
    return "<span class=\"tag " + classes + "\" style=\"" + place + "\">" + std::to_string(row.line) +
           "</span>\n<a class=\"spot " + classes + "\" id=\"slot-" + id + "\" href=\"" + Escaped(link) + "\"" +
           (row.soundFile.empty() ? "" : " data-sound=\"1\"") + " title=\"" + SpotTitle(slot) + "\" style=\"" +
           place + "width:" + std::to_string(right - left + 1) + "px;height:" + std::to_string(bottom - top + 1) +
           "px;z-index:" + std::to_string(100 - slot) + "\"></a>\n";
}

static std::string Board()
{
    const SkinSummary& skin = CheckReport.skin;
    if (!skin.loaded)
        return "<p id=\"board-missing\">The skin could not be loaded, so there is no picture to show.</p>\n";
    if (!FitsThePreview(skin))
        return "<p id=\"board-missing\">The skin is " + std::to_string(skin.width) + " x " +
               std::to_string(skin.height) + " pixels, more than this page shows (" +
               std::to_string(kPreviewPixelLimit) + " pixels, at most " + std::to_string(kPreviewSideLimit) +
               " a side), so there is no picture; its hotspots are listed below.</p>\n";
    std::string html = "<div id=\"board\" style=\"width:" + std::to_string(skin.width) + "px;height:" +
                       std::to_string(skin.height) + "px\">\n<img src=\"" + SkinPicture() + "\" width=\"" +
                       std::to_string(skin.width) + "\" height=\"" + std::to_string(skin.height) +
                       "\" alt=\"the skin\">\n";
    for (size_t i = 0; i < CheckReport.slots.size(); i++)
        html += SpotElements(int(i));
    return html + "</div>\n";
}

static std::string SlotTable()
{
    std::string html = "<h2>Hotspots</h2>\n<table><tr><th>slot</th><th>line</th><th>action</th><th>left</th>"
                       "<th>top</th><th>right</th><th>bottom</th><th>name</th></tr>\n";
    for (size_t i = 0; i < CheckReport.slots.size(); i++) {
        const SlotRow& row = CheckReport.slots[i];
        html += "<tr id=\"row-" + std::to_string(i + 1) + "\"><td><a href=\"" + AnchorOf(int(i)) + "\">" +
                std::to_string(i + 1) + "</a></td><td>" +
                std::to_string(row.line) + "</td><td>" + ActionWord(row) + "</td><td>" + std::to_string(row.left) +
                "</td><td>" + std::to_string(row.top) + "</td><td>" + std::to_string(row.right) + "</td><td>" +
                std::to_string(row.bottom) + "</td><td><code>" + Escaped(row.name) + "</code></td></tr>\n";
    }
    return html + "</table>\n";
}

static std::string Details()
{
    std::string html =
        "<p class=\"legend\">Outlines: <span class=\"key sound\">sound</span> <span class=\"key minimise\">"
        "minimise</span> <span class=\"key exit\">exit</span>; the tag gives the line in \"" +
        std::string(kHotspotFileName) + "\", marked "
        "! for an error, ? for a warning, i for a note. Hover over a hotspot for its details; a click on a sound "
        "hotspot plays its file.</p>\n" + SlotTable() + "<h2>Start-up messages</h2>\n";
    if (CheckReport.messages.empty())
        html += "<p>None.</p>\n";
    for (const std::string& message : CheckReport.messages)
        html += "<p class=\"message\">\"" + Escaped(message) + "\"</p>\n";
    html += "<h2>Findings</h2>\n<ol id=\"findings\">\n";
    for (const Finding& finding : CheckReport.findings) {
        std::string where = "line " + std::to_string(finding.line);
        if (finding.slot >= 0)
            where = "<a href=\"" + AnchorOf(finding.slot) + "\">" + where + "</a>";
        html += std::string("<li class=\"") + LevelWord(finding.level) + "\">" + where + " <b>" +
                LevelWord(finding.level) + "</b> <code>" + finding.kind + "</code> " + Escaped(finding.message) +
                "</li>\n";
    }
    html += "</ol>\n";
    if (CheckReport.findings.empty())
        html += "<p>None: every hotspot can act as written.</p>\n";
    return html;
}

static std::string Style()
{
    const SkinSummary& skin = CheckReport.skin;
    int detailsTop = kBoardTop + (ShowsPicture() ? skin.height : 0) + 16;
    return "body{margin:0;font:14px sans-serif;color:#111;background:#fff}\n"
           "#board{position:absolute;left:" + std::to_string(kBoardLeft) + "px;top:" + std::to_string(kBoardTop) +
           "px;overflow:hidden;background:url(" + Checkerboard() + ") 0 0 repeat}\n"
           "#board img{position:absolute;left:0;top:0;image-rendering:pixelated}\n"
           "#details{position:absolute;left:" + std::to_string(kBoardLeft) + "px;top:" + std::to_string(detailsTop) +
           "px;right:24px}\n"
           "#board-missing{position:absolute;left:" + std::to_string(kBoardLeft) + "px;top:0}\n"
           ".spot{position:absolute;box-sizing:border-box;border:1px solid #0050ff;display:block}\n"
           ".spot.minimise{border-color:#00a000}\n.spot.exit{border-color:#e00000}\n"
           ".tag{position:absolute;z-index:1;margin:2px 0 0 2px;font:bold 10px sans-serif;line-height:12px;"
           "white-space:nowrap;padding:0 2px;color:#fff;background:#0050ff}\n"
           ".tag.minimise{background:#00a000}\n.tag.exit{background:#e00000}\n"
           ".tag.info::after{content:\" i\"}\n.tag.warning::after{content:\" ?\"}\n"
           ".tag.error::after{content:\" !\"}\n"
           ".spot:hover,.spot:target{background:rgba(255,255,0,0.3)}\n"
           ".key{padding:0 4px;color:#fff}\n.key.sound{background:#0050ff}\n.key.minimise{background:#00a000}\n"
           ".key.exit{background:#e00000}\ntable{border-collapse:collapse}\ntd,th{padding:1px 8px;text-align:right}\n"
           "td:last-child,th:last-child{text-align:left}\ncode{word-break:break-all}\ntr:target{background:#ff8}\n"
           "li.error b{color:#c00}\nli.warning b{color:#b60}\nli.info b{color:#555}\n";
}

// Plays a sound hotspot's file in place instead of following its link.
static const char kPlayScript[] =
    "document.querySelectorAll('a.spot[data-sound]').forEach(function (spot) {\n"
    "  spot.addEventListener('click', function (event) {\n"
    "    event.preventDefault();\n"
    "    new Audio(spot.href).play();\n"
    "  });\n"
    "});\n";

std::string PageReport()
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>lumcheck: skin preview</title>\n<style>\n" +
           Style() + "</style></head><body>\n" + Board() + "<div id=\"details\">\n" + Details() +
           "</div>\n<script>\n" + kPlayScript + "</script>\n</body></html>\n";
}
