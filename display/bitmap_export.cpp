// Saving the bed image, and naming the file after the job.
#include <cstring>

#include "display/bitmap_file.h"
#include "display/job_display.h"

int CJobDisplay::SaveImage(const char* path, std::string* error) const {
    if (path == nullptr) {
        if (error != nullptr) *error = "no file name";
        return 0;
    }
    return WriteCanvasBitmap(m_memDC, m_imageWidth, m_imageHeight, path, error);
}

int ReplaceExtension(std::string* path, const char* ext) {
    if (path == nullptr || ext == nullptr) return 0;
    // Only the file name counts: a '.' in a folder name, or one that starts
    // the name (a hidden file), is not an extension.
    const std::size_t slash = path->rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string_view name = std::string_view(*path).substr(nameStart);
    if (name == "." || name == "..") return 0;
    const std::size_t dot = name.find('.', 1);
    if (dot == std::string_view::npos) return 0;
    path->replace(nameStart + dot + 1, std::string::npos, ext);
    return 1;
}
