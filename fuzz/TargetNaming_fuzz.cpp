// The naming of the save command's target (folderOf, titleWithExtension, withTrailingSeparator) on arbitrary
// dialog answers. Whatever the file name and title, the target is the folder the name ends in, a
// separator, and the title up to its first "." with the type's extension; renaming to another type
// swaps the extension alone.
//
// Input: byte 0 picks the type (1 to 5) and, in bit 3, whether the title is the name's last
// component (as the dialog gives it) or any text; the rest is the UTF-8 file name, then after a
// zero byte the title.
#include "FuzzSupport.h"
#include "Naming.h"

#include <string>

using namespace exporting;

namespace {

// QString's startsWith and endsWith say false for a null string, even of an empty one.
bool startsWith(const QString& text, const QString& start) { return text.left(start.size()) == start; }
bool endsWith(const QString& text, const QString& end) { return text.right(end.size()) == end; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int type = 1 + data[0] % typeCount;
    const int otherType = 1 + (data[0] / typeCount) % typeCount;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto zero = rest.find('\0');
    const QString fileName = QString::fromStdString(rest.substr(0, zero));
    const QString fileTitle = (data[0] & 8) ? fileName.mid(fileName.lastIndexOf(u'/') + 1)
                              : zero == std::string::npos ? QString()
                                                          : QString::fromStdString(rest.substr(zero + 1));

    const QString folder = folderOf(fileName, fileTitle);
    FUZZ_CHECK(startsWith(fileName, folder), "the folder is not where the name starts");
    if (endsWith(fileName, fileTitle))
        FUZZ_CHECK(folder + fileTitle == fileName, "folder and title do not make up the name");

    const QString extension = extensionOf(type);
    const char* expected[] = {"bmp", "jpg", "jpg", "jpg", "jpg", "png", "svg"};
    FUZZ_CHECK(extension == QLatin1String(expected[type - 1]),
               "type " + std::to_string(type) + " gets ." + extension.toStdString());
    const QString title = titleWithExtension(fileTitle, type);
    const QString stem = title.chopped(extension.size() + 1);
    FUZZ_CHECK(title.endsWith(u'.' + extension), "the title does not end in its extension");
    FUZZ_CHECK(!stem.contains(u'.'), "a second extension is left: " + title.toStdString());
    FUZZ_CHECK(startsWith(fileTitle, stem) && (stem.size() == fileTitle.size() || fileTitle[stem.size()] == u'.'),
               "the title lost more than its extension: " + title.toStdString());
    FUZZ_CHECK(titleWithExtension(title, type) == title, "naming a named title changed it");
    FUZZ_CHECK(titleWithExtension(title, otherType) == stem + u'.' + extensionOf(otherType),
               "another type changed more than the extension");

    const QString withSeparator = withTrailingSeparator(folder);
    FUZZ_CHECK(withSeparator.endsWith(u'/'), "no separator after the folder");
    FUZZ_CHECK(withSeparator == folder || withSeparator == folder + u'/', "the folder itself changed");
    FUZZ_CHECK(folder.isEmpty() || !folder.endsWith(u'/') || withSeparator == folder, "a second separator");
    return 0;
}
