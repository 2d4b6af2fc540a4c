// SPDX-License-Identifier: GPL-2.0-or-later

// The "ID3v2+" page of the tag area: the additional ID3v2 frames of the shown file, a frame's
// content as text or its picture, "Delete", "Export", "Add picture...", the two copy buttons,
// and a picture box that accepts dropped image files and can be dragged out as a file.
#pragma once

#include <functional>
#include <string>

#include <QByteArray>
#include <QLabel>
#include <QWidget>

#include "editing/FrameCommands.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace vorda::tags {
class AudioFile;
}

namespace vorda::editing {

// The picture inside the box: shows the image, accepts dropped image files and starts a drag
// that carries the picture as a file.
class PictureLabel : public QLabel {
    Q_OBJECT
public:
    explicit PictureLabel(QWidget* parent = nullptr);
    // The picture's own bytes and its file extension, for dragging out.
    void setPicture(const QByteArray& bytes, const QString& extension);
    void clearPicture();
    const QByteArray& pictureBytes() const { return bytes_; }
    // Writes the picture to a file in a private temporary folder for a drag; "" on failure.
    QString writeDragFile() const;

signals:
    void imageFileDropped(const QString& path);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QByteArray bytes_;
    QString extension_;
    QPoint pressPos_;
};

class FramesPage : public QWidget {
    Q_OBJECT
public:
    explicit FramesPage(QWidget* parent = nullptr);

    // Fills the page from the file (tags read). The page keeps a reference to the file: it must
    // stay alive (the window's filCurrent) until Clear or the next showFile.
    void showFile(tags::AudioFile& file);
    // Empties the list, the text and the picture and forgets the file.
    void clear();
    // Several rows selected: Delete refuses; Add picture and a drop keep the picture as pending
    // for every selected file (the copy buttons stay).
    void setMultiSelection(bool multi);

    // Shows one frame (a click on its entry).
    void showID3v2Frame(const std::string& id);

    // Button actions; the dialog-free forms are used by tests.
    void deleteSelectedFrames();
    // Export with a chosen name ("" asks with a save dialog). Returns 0, or an errno value.
    int exportSelectedFrame(const QString& chosen = QString());
    // Adds a picture file to the shown file, or with several rows selected keeps it as the pending
    // picture ("" asks with an open dialog). True when added or kept.
    bool addPictureFromFile(const QString& path = QString());

    // The pending picture for several files (empty when none); showFile and Clear drop it.
    const std::string& pendingPicture() const { return pendingPicture_; }
    const std::string& pendingPictureMime() const { return pendingMime_; }

    // The start folder of the dialogs (lastDir) and how the page asks the user.
    std::function<std::string()> lastDir;
    std::function<app::MessageAnswer(const std::string& text, app::MessageButtons, app::MessageIcon)> ask;

    // ---- controls
    QListWidget* lstID3v2Frames = nullptr;
    QPlainTextEdit* txtv2Content = nullptr;
    QWidget* picPictureBox = nullptr;
    PictureLabel* picPicture = nullptr;
    QPushButton* cmdDeleteFrame = nullptr;
    QPushButton* cmdExportFrame = nullptr;
    QPushButton* cmdAddPicture = nullptr;
    QPushButton* cmdCopyToV1 = nullptr;
    QPushButton* cmdCopyFromV1 = nullptr;
    QLabel* lblPendingPicture = nullptr;  // what the next several-files save adds

    // The frame view shown last (a picture's bytes and format, or the text).
    const FrameView& currentView() const { return view_; }

signals:
    // The shown file's tag changed in memory (frames deleted, picture added); written by the next save.
    void tagChanged();
    // The copy buttons; the window decides between the one-file screen copy and the several-files copy.
    void copyToV1Requested();
    void copyToV2Requested();

private:
    void fillList();
    void showPicture(const PictureData& picture);
    void setPendingPicture(std::string bytes, std::string mime);

    QStackedWidget* stack_ = nullptr;
    tags::AudioFile* file_ = nullptr;
    bool multi_ = false;
    FrameView view_;
    std::string pendingPicture_;
    std::string pendingMime_;
};

}  // namespace vorda::editing
