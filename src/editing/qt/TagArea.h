// SPDX-License-Identifier: GPL-2.0-or-later

// The tag area under the file list: the pages "TAG", "ID3v2+", "Lyrics3" and "File info",
// filled by the tag editor and the frames page.
#pragma once

#include <array>

#include <QTabWidget>

namespace vorda::editing {

class FramesPage;
class TagEditor;

class TagArea : public QTabWidget {
    Q_OBJECT
public:
    explicit TagArea(QWidget* parent = nullptr);

    TagEditor* tagEditor() const { return tagEditor_; }
    FramesPage* framesPage() const { return framesPage_; }
    // The height the "TAG" page asks for, its tab strip included.
    int tagPageHeight() const;

private:
    std::array<QWidget*, 4> pages_{};
    TagEditor* tagEditor_ = nullptr;
    FramesPage* framesPage_ = nullptr;
};

}  // namespace vorda::editing
