// The .vsix package: a zip archive of stored (uncompressed) entries holding the extension under
// "extension/", its manifest and the content-type list, as VS Code installs it.
// Tests: tests/editor/editor_test.mjs.
#include <array>
#include <cstdint>

#include "editor/editor.h"

namespace editor {

namespace {

std::uint32_t crc32(const std::string& bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes) c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Zip without compression, encryption or the 64-bit extensions: every entry and the whole archive
// stay below 4 GiB and 65535 entries, far beyond an extension's few files. Times are fixed at
// 1980-01-01 00:00 so the same table gives the same bytes; names are flagged UTF-8.
std::string zip(const std::vector<ExtensionFile>& entries) {
    constexpr std::uint32_t utf8Names = 0x0800, dosDate = (0 << 9) | (1 << 5) | 1;
    std::string out, directory;
    for (const ExtensionFile& e : entries) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = crc32(e.bytes), size = static_cast<std::uint32_t>(e.bytes.size());
        const std::uint32_t nameSize = static_cast<std::uint32_t>(e.path.size());
        // The local header, then the same fields in the central directory's record.
        put32(out, 0x04034B50);
        put16(out, 10);  // version needed: 1.0, stored entries
        put16(out, utf8Names);
        put16(out, 0);  // stored
        put16(out, 0);  // time
        put16(out, dosDate);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, nameSize);
        put16(out, 0);  // no extra field
        out += e.path;
        out += e.bytes;

        put32(directory, 0x02014B50);
        put16(directory, 20);  // made by: MS-DOS, 2.0
        put16(directory, 10);
        put16(directory, utf8Names);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, dosDate);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, nameSize);
        put16(directory, 0);  // extra field
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk
        put16(directory, 0);  // internal attributes
        put32(directory, 0);  // external attributes
        put32(directory, offset);
        directory += e.path;
    }
    const std::uint32_t directoryAt = static_cast<std::uint32_t>(out.size());
    const std::uint32_t count = static_cast<std::uint32_t>(entries.size());
    out += directory;
    put32(out, 0x06054B50);
    put16(out, 0);  // this disk
    put16(out, 0);  // the directory's disk
    put16(out, count);
    put16(out, count);
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryAt);
    put16(out, 0);  // no comment
    return out;
}

const char* const contentTypes =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\".json\" ContentType=\"application/json\"/>"
    "<Default Extension=\".js\" ContentType=\"application/javascript\"/>"
    "<Default Extension=\".md\" ContentType=\"text/markdown\"/>"
    "<Default Extension=\".vsixmanifest\" ContentType=\"text/xml\"/>"
    "</Types>";

std::string manifest() {
    const std::string version = extensionVersion;
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<PackageManifest Version=\"2.0.0\" xmlns=\"http://schemas.microsoft.com/developer/vsx-schema/2011\" "
           "xmlns:d=\"http://schemas.microsoft.com/developer/vsx-schema-design/2011\">\n"
           "  <Metadata>\n"
           "    <Identity Language=\"en-US\" Id=\"" + std::string(extensionName) + "\" Version=\"" + version +
           "\" Publisher=\"" + extensionPublisher + "\" />\n"
           "    <DisplayName>ЛУМ скрипт</DisplayName>\n"
           "    <Description xml:space=\"preserve\">" +
           std::string("Подсветка, отступы, заготовки и задачи для ЛУМ скрипта по словарю keywords.csv") +
           "</Description>\n"
           "    <Categories>Programming Languages,Snippets</Categories>\n"
           "    <GalleryFlags>Public</GalleryFlags>\n"
           "    <Properties>\n"
           "      <Property Id=\"Microsoft.VisualStudio.Code.Engine\" Value=\"^1.75.0\" />\n"
           "      <Property Id=\"Microsoft.VisualStudio.Code.ExtensionKind\" Value=\"workspace\" />\n"
           "    </Properties>\n"
           "  </Metadata>\n"
           "  <Installation>\n"
           "    <InstallationTarget Id=\"Microsoft.VisualStudio.Code\"/>\n"
           "  </Installation>\n"
           "  <Dependencies/>\n"
           "  <Assets>\n"
           "    <Asset Type=\"Microsoft.VisualStudio.Code.Manifest\" Path=\"extension/package.json\" Addressable=\"true\" />\n"
           "    <Asset Type=\"Microsoft.VisualStudio.Services.Content.Details\" Path=\"extension/README.md\" Addressable=\"true\" />\n"
           "  </Assets>\n"
           "</PackageManifest>\n";
}

}  // namespace

std::string vsixPackage(const std::vector<ExtensionFile>& files) {
    std::vector<ExtensionFile> entries = {{"[Content_Types].xml", contentTypes}, {"extension.vsixmanifest", manifest()}};
    for (const ExtensionFile& file : files) entries.push_back({"extension/" + file.path, file.bytes});
    return zip(entries);
}

}  // namespace editor
