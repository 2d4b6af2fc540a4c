// SPDX-License-Identifier: GPL-2.0-or-later

#include "editing/FrameCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "base/Text.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

namespace vorda::editing {

namespace {

// The base identifier of "ID#n".
std::string baseId(const std::string& id) { return id.substr(0, id.find('#')); }

}  // namespace

std::vector<std::string> frameList(AudioFile& file) {
    std::vector<std::string> ids;
    const std::string all = file.tag().getValue(ValueKey::V2Frame);
    size_t start = 0;
    while (start <= all.size()) {
        size_t bar = all.find('|', start);
        if (bar == std::string::npos) bar = all.size();
        if (bar > start) ids.push_back(all.substr(start, bar - start));
        start = bar + 1;
    }
    return ids;
}

bool isPictureFrame(const std::string& id) {
    const std::string base = baseId(id);
    return base == "APIC" || base == "PIC";
}

std::string frameContentText(const std::string& content) {
    std::string shown = content;
    std::string_view rest = content;
    size_t zero;
    while ((zero = rest.find('\0')) != std::string_view::npos) {
        const std::string_view part = rest.substr(0, zero);
        if (!trimView(part).empty()) shown = std::string(part);
        rest.remove_prefix(zero + 1);
    }
    if (!trimView(rest).empty()) shown = std::string(rest);
    zero = shown.find('\0');
    if (zero != std::string::npos) shown.resize(zero);
    return shown;
}

ImageFormat detectImageFormat(std::string_view b) {
    auto starts = [&](std::string_view magic) { return b.substr(0, magic.size()) == magic; };
    if (starts("\xFF\xD8\xFF")) return ImageFormat::JPEG;
    if (starts("\x89PNG\r\n\x1A\n")) return ImageFormat::PNG;
    if (starts("GIF87a") || starts("GIF89a")) return ImageFormat::GIF;
    if (starts("BM") && b.size() >= 26) return ImageFormat::BMP;
    return ImageFormat::Unknown;
}

std::string imageExtension(ImageFormat format) {
    switch (format) {
    case ImageFormat::JPEG: return "jpg";
    case ImageFormat::PNG: return "png";
    case ImageFormat::GIF: return "gif";
    case ImageFormat::BMP: return "bmp";
    default: return {};
    }
}

std::string imageMimeType(ImageFormat format) {
    switch (format) {
    case ImageFormat::JPEG: return "image/jpeg";
    case ImageFormat::PNG: return "image/png";
    case ImageFormat::GIF: return "image/gif";
    case ImageFormat::BMP: return "image/bmp";
    default: return {};
    }
}

ImageFormat formatOfMimeType(const std::string& mime) {
    const std::string m = asciiLower(trim(mime));
    if (m == "image/jpg" || m == "image/jpeg" || m == "image/pjpeg") return ImageFormat::JPEG;
    if (m == "image/png") return ImageFormat::PNG;
    if (m == "image/gif") return ImageFormat::GIF;
    if (m == "image/bmp" || m == "image/x-ms-bmp") return ImageFormat::BMP;
    return ImageFormat::Unknown;
}

bool parsePicture(const std::string& content, PictureData& picture) {
    picture = PictureData{};
    if (content.size() < 2) return false;
    const char encoding = content[0];
    size_t pos = 1;
    const size_t mimeEnd = content.find('\0', pos);
    if (mimeEnd != std::string::npos) {
        picture.mime = asciiLower(content.substr(pos, mimeEnd - pos));
        pos = mimeEnd + 1;
    }
    if (pos >= content.size()) return false;
    picture.pictureType = static_cast<unsigned char>(content[pos++]);
    // The description ends with a character 0, two of them (on an even offset) in UTF-16.
    const bool wide = encoding == 1 || encoding == 2;
    size_t descEnd = std::string::npos;
    if (wide) {
        for (size_t i = pos; i + 1 < content.size(); i += 2)
            if (content[i] == '\0' && content[i + 1] == '\0') {
                descEnd = i;
                break;
            }
    } else {
        descEnd = content.find('\0', pos);
    }
    if (descEnd != std::string::npos) {
        picture.description = content.substr(pos, descEnd - pos);
        pos = descEnd + (wide ? 2 : 1);
    }
    picture.bytes = content.substr(std::min(pos, content.size()));
    picture.format = detectImageFormat(picture.bytes);
    if (picture.format == ImageFormat::Unknown) picture.format = formatOfMimeType(picture.mime);
    return true;
}

std::string buildPicturePayload(const std::string& bytes, const std::string& mime, int pictureType) {
    std::string payload(1, '\0');
    payload += mime;
    payload.push_back('\0');
    payload.push_back(static_cast<char>(pictureType));
    payload.push_back('\0');  // empty description
    payload += bytes;
    return payload;
}

FrameView showID3v2Frame(AudioFile& file, const std::string& id) {
    FrameView view;
    view.id = id;
    const std::string content = file.tag().getValue(ValueKey::V2Frame, id);
    if (content.empty()) return view;
    if (!isPictureFrame(id)) {
        view.text = frameContentText(content);
        return view;
    }
    PictureData picture;
    if (parsePicture(content, picture) && picture.showable() && !picture.bytes.empty()) {
        view.isPicture = true;
        view.picture = std::move(picture);
    }
    return view;
}

int deleteFrames(AudioFile& file, std::vector<std::string> ids) {
    // "ID#n" names count frames of one identifier in tag order; removing the later ones first
    // keeps the names of the earlier ones valid.
    auto number = [](const std::string& id) {
        const size_t hash = id.find('#');
        return hash == std::string::npos ? 0L : std::atol(id.c_str() + hash + 1);
    };
    std::stable_sort(ids.begin(), ids.end(),
                     [&](const std::string& a, const std::string& b) { return number(a) > number(b); });
    int removed = 0;
    TagHandler& tag = file.tag();
    for (const std::string& id : ids) {
        if (tag.getValue(ValueKey::V2Frame, id).empty()) continue;
        tag.setValue(ValueKey::V2Frame, std::string(), id);
        ++removed;
    }
    return removed;
}

int writeFileBytes(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return error;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) return errno;
    return 0;
}

std::string pictureExportPath(const std::string& chosen, ImageFormat format) {
    const std::string want = imageExtension(format);
    if (want.empty()) return chosen;
    const std::string name = getFileName(chosen);
    const size_t dot = name.rfind('.');
    std::string ext = (dot == std::string::npos || dot == 0) ? std::string() : asciiLower(name.substr(dot + 1));
    if (ext == "jpeg") ext = "jpg";
    if (ext == want) return chosen;
    if (ext == "jpg" || ext == "png" || ext == "gif" || ext == "bmp")
        return chosen.substr(0, chosen.size() - (name.size() - dot - 1)) + want;
    return chosen + "." + want;
}

int exportFrame(const FrameView& view, const std::string& chosen, std::string* written) {
    if (trim(chosen).empty()) return EINVAL;
    const std::string path = view.isPicture ? pictureExportPath(chosen, view.picture.format) : chosen;
    if (written) *written = path;
    return writeFileBytes(path, view.isPicture ? view.picture.bytes : view.text);
}

std::string exportFilter(const FrameView& view) {
    if (!view.isPicture) return "Text File (*.txt)|*.txt|Any file (*.*)|*.*";
    switch (view.picture.format) {
    case ImageFormat::JPEG: return "JPEG Picture (*.jpg)|*.jpg";
    case ImageFormat::GIF: return "GIF Picture (*.gif)|*.gif";
    case ImageFormat::PNG: return "PNG Picture (*.png)|*.png";
    case ImageFormat::BMP: return "Bitmap Picture (*.bmp)|*.bmp";
    default: return "Any file (*.*)|*.*";
    }
}

bool addPicture(AudioFile& file, const std::string& imageBytes) {
    const ImageFormat format = detectImageFormat(imageBytes);
    if (format == ImageFormat::Unknown) return false;
    TagHandler& tag = file.tag();
    tag.add(TagKind::Id3v2);
    // Replace the front cover without description; otherwise append a new picture frame.
    std::string key;
    int count = 0;
    for (const std::string& id : frameList(file)) {
        if (!isPictureFrame(id)) continue;
        ++count;
        PictureData picture;
        if (key.empty() && parsePicture(tag.getValue(ValueKey::V2Frame, id), picture) && picture.pictureType == 3 &&
            picture.description.empty())
            key = id;
    }
    // framesInFile counts every APIC frame, listed or not, so count them by their names.
    if (key.empty()) {
        int n = count + 1;
        while (!tag.getValue(ValueKey::V2Frame, "APIC#" + std::to_string(n)).empty()) ++n;
        key = "APIC#" + std::to_string(n);
    }
    return tag.setValue(ValueKey::V2Frame, buildPicturePayload(imageBytes, imageMimeType(format)), key);
}

bool readPictureFile(const std::string& imagePath, std::string& bytes, std::string& mime, std::string* error) {
    std::ifstream in(imagePath, std::ios::binary);
    if (!in) {
        if (error) *error = "The picture file cannot be read.";
        return false;
    }
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        if (error) *error = "The picture file cannot be read.";
        return false;
    }
    const ImageFormat format = detectImageFormat(content);
    if (format == ImageFormat::Unknown) {
        if (error) *error = "The file is not a JPEG, PNG, GIF or BMP picture.";
        return false;
    }
    bytes = std::move(content);
    mime = imageMimeType(format);
    return true;
}

bool addPictureFile(AudioFile& file, const std::string& imagePath, std::string* error) {
    std::string bytes, mime;
    if (!readPictureFile(imagePath, bytes, mime, error)) return false;
    if (!addPicture(file, bytes)) {
        if (error) *error = "The picture cannot be added to this file.";
        return false;
    }
    return true;
}

std::string leadingNumberText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    std::string digits = text.substr(start, i - start);
    const size_t nonZero = digits.find_first_not_of('0');
    return nonZero == std::string::npos ? std::string() : digits.substr(nonZero);
}

V1Texts copyToV1Texts(const std::string& title, const std::string& artist, const std::string& album,
                      const std::string& year, const std::string& track, const std::string& comment) {
    V1Texts t;
    t.title = utf8Left(title, 30);
    t.artist = utf8Left(artist, 30);
    t.album = utf8Left(album, 30);
    t.comment = utf8Left(comment, 30);
    t.year = leadingNumberText(year);
    t.track = leadingNumberText(track);
    return t;
}

// ------------------------------------------------------------------ several files

namespace {
constexpr int kV1ToV2[][2] = {{ValueKey::V1Title, ValueKey::V2Title}, {ValueKey::V1Artist, ValueKey::V2Artist},
                              {ValueKey::V1Album, ValueKey::V2Album}, {ValueKey::V1Comment, ValueKey::V2Comment},
                              {ValueKey::V1Year, ValueKey::V2Year},   {ValueKey::V1Genre, ValueKey::V2Genre},
                              {ValueKey::V1Track, ValueKey::V2Track}};
constexpr int kV2ToV1[][2] = {{ValueKey::V2Title, ValueKey::V1Title}, {ValueKey::V2Artist, ValueKey::V1Artist},
                              {ValueKey::V2Album, ValueKey::V1Album}, {ValueKey::V2Comment, ValueKey::V1Comment},
                              {ValueKey::V2Year, ValueKey::V1Year},   {ValueKey::V2Genre, ValueKey::V1Genre},
                              {ValueKey::V2Track, ValueKey::V1Track}};
}  // namespace

TagCopyCommands::TagCopyCommands(ListCommands& cmds, UserInterface& ui) : cmds_(cmds), ui_(ui) {}

BatchResult TagCopyCommands::copyToV2Several() {
    BatchResult r = copySeveral(TagKind::Id3v1, TagKind::Id3v2, kV1ToV2, static_cast<int>(std::size(kV1ToV2)));
    const std::string text = failureMessage(r, "Copying to ID3v2");
    if (!text.empty()) ui_.ask(text, MessageButtons::Ok, MessageIcon::Error);
    return r;
}

BatchResult TagCopyCommands::copyToV1Several() {
    BatchResult r = copySeveral(TagKind::Id3v2, TagKind::Id3v1, kV2ToV1, static_cast<int>(std::size(kV2ToV1)));
    const std::string text = failureMessage(r, "Copying to ID3v1");
    if (!text.empty()) ui_.ask(text, MessageButtons::Ok, MessageIcon::Error);
    return r;
}

BatchResult TagCopyCommands::copySeveral(int sourceKind, int targetKind, const int (*pairs)[2], int count) {
    BatchResult result;
    FileList& list = cmds_.list();
    std::vector<int> rows;
    for (int row = 1; row <= list.count(); ++row)
        if (list.selected(row) && pathExists(list.getFullPath(row))) rows.push_back(row);
    const long long total = static_cast<long long>(rows.size());
    ui_.setProgress(0, total);
    AudioFile& file = cmds_.filCurrent();
    file.setOptions(cmds_.fileOptions());
    long long done = 0;
    for (int row : rows) {
        const std::string path = list.getFullPath(row);
        if (!file.readFile(path, true)) {
            result.addFailure(path, EIO);
        } else if (file.tag().hasTag(sourceKind)) {
            TagHandler& tag = file.tag();
            tag.add(targetKind);
            for (int i = 0; i < count; ++i) tag.setValue(pairs[i][1], tag.getValue(pairs[i][0]));
            const int error = tag.tagWrite();
            if (error != 0)
                result.addFailure(path, error);
            else
                ++result.processed;
            if (file.readFile(path, true)) cmds_.updateListItem(row, file);
        }
        done = std::min(done + 1, total);
        ui_.setProgress(done, total);
        ui_.repaint();
    }
    ui_.setProgress(0, 0);
    file.reset();
    return result;
}

}  // namespace vorda::editing
