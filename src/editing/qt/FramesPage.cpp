// SPDX-License-Identifier: GPL-2.0-or-later

#include "editing/qt/FramesPage.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "base/FileOps.h"
#include "platform/QtText.h"
#include "tags/AudioFile.h"

using namespace vorda::base;
using namespace vorda::tags;
using namespace vorda::app;

using namespace vorda::platform;

namespace vorda::editing {

namespace {

// "JPEG Picture (*.jpg)|*.jpg|Any file (*.*)|*.*" as a Qt filter list.
QString qtFilter(const std::string& filter) {
    const QStringList parts = displayText(filter).split('|');
    QStringList out;
    for (int i = 0; i < parts.size(); i += 2) out << parts[i];
    return out.join(";;");
}

}  // namespace

// ------------------------------------------------------------------ picture label

PictureLabel::PictureLabel(QWidget* parent) : QLabel(parent) {
    setAcceptDrops(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setToolTip("Drop a JPEG or PNG picture here to add it; drag the picture out to save it as a file.");
}

void PictureLabel::setPicture(const QByteArray& bytes, const QString& extension) {
    bytes_ = bytes;
    extension_ = extension;
    QPixmap pixmap;
    pixmap.loadFromData(bytes);
    setPixmap(pixmap);
}

void PictureLabel::clearPicture() {
    bytes_.clear();
    extension_.clear();
    clear();
}

QString PictureLabel::writeDragFile() const {
    if (bytes_.isEmpty()) return {};
    const QString folder = QDir::tempPath() + "/vorda-" + QString::number(QCoreApplication::applicationPid());
    if (!QDir().mkpath(folder)) return {};
    const QString path = folder + "/picture." + (extension_.isEmpty() ? QString("bin") : extension_);
    if (writeFileBytes(fromQt(path), std::string_view(bytes_.constData(), static_cast<size_t>(bytes_.size()))) != 0)
        return {};
    return path;
}

void PictureLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressPos_ = event->position().toPoint();
    QLabel::mousePressEvent(event);
}

void PictureLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || bytes_.isEmpty() ||
        (event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance())
        return;
    const QString path = writeDragFile();
    if (path.isEmpty()) return;
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(path)});
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    if (!pixmap().isNull()) drag->setPixmap(pixmap().scaled(64, 64, Qt::KeepAspectRatio));
    drag->exec(Qt::CopyAction);
}

void PictureLabel::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() && mime->urls().size() == 1 && mime->urls().front().isLocalFile())
        event->acceptProposedAction();
}

void PictureLabel::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    emit imageFileDropped(urls.front().toLocalFile());
}

// ------------------------------------------------------------------ page

FramesPage::FramesPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Additional ID3v2 frames in file:", this));
    lstID3v2Frames = new QListWidget(this);
    lstID3v2Frames->setObjectName("lstID3v2Frames");
    lstID3v2Frames->setSelectionMode(QAbstractItemView::ExtendedSelection);
    left->addWidget(lstID3v2Frames);
    auto* buttons = new QHBoxLayout;
    cmdDeleteFrame = new QPushButton("Delete", this);
    cmdDeleteFrame->setObjectName("cmdDeleteFrame");
    cmdDeleteFrame->setToolTip("Delete the selected frames from the selected files.");
    cmdExportFrame = new QPushButton("Export", this);
    cmdExportFrame->setObjectName("cmdExportFrame");
    cmdAddPicture = new QPushButton("Add picture...", this);
    cmdAddPicture->setObjectName("cmdAddPicture");
    cmdAddPicture->setToolTip("Add a JPEG or PNG picture as the front cover. It is written with the next save.");
    buttons->addWidget(cmdDeleteFrame);
    buttons->addWidget(cmdExportFrame);
    buttons->addWidget(cmdAddPicture);
    left->addLayout(buttons);
    auto* copies = new QHBoxLayout;
    cmdCopyToV1 = new QPushButton("Copy to ID3v1", this);
    cmdCopyToV1->setObjectName("cmdCopyToV1");
    cmdCopyFromV1 = new QPushButton("Copy to ID3v2", this);
    cmdCopyFromV1->setObjectName("cmdCopyFromV1");
    copies->addWidget(cmdCopyToV1);
    copies->addWidget(cmdCopyFromV1);
    left->addLayout(copies);
    lblPendingPicture = new QLabel(this);
    lblPendingPicture->setObjectName("lblPendingPicture");
    lblPendingPicture->setWordWrap(true);
    left->addWidget(lblPendingPicture);
    layout->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel("Frame contents:", this));
    stack_ = new QStackedWidget(this);
    txtv2Content = new QPlainTextEdit(this);
    txtv2Content->setObjectName("txtv2Content");
    stack_->addWidget(txtv2Content);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("picPictureBox");
    picPicture = new PictureLabel(scroll);
    picPicture->setObjectName("picPicture");
    scroll->setWidget(picPicture);
    scroll->setWidgetResizable(true);
    picPictureBox = scroll;
    stack_->addWidget(picPictureBox);
    right->addWidget(stack_);
    layout->addLayout(right, 2);

    connect(lstID3v2Frames, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showID3v2Frame(fromQt(item->text())); });
    connect(lstID3v2Frames, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item, QListWidgetItem*) {
        if (item) showID3v2Frame(fromQt(item->text()));
    });
    connect(cmdDeleteFrame, &QPushButton::clicked, this, [this] { deleteSelectedFrames(); });
    connect(cmdExportFrame, &QPushButton::clicked, this, [this] { exportSelectedFrame(); });
    connect(cmdAddPicture, &QPushButton::clicked, this, [this] { addPictureFromFile(); });
    connect(cmdCopyToV1, &QPushButton::clicked, this, &FramesPage::copyToV1Requested);
    connect(cmdCopyFromV1, &QPushButton::clicked, this, &FramesPage::copyToV2Requested);
    connect(picPicture, &PictureLabel::imageFileDropped, this, [this](const QString& path) {
        if (!path.isEmpty()) addPictureFromFile(path);
    });
    clear();
}

void FramesPage::showFile(AudioFile& file) {
    clear();
    file_ = &file;
    cmdAddPicture->setEnabled(true);
    fillList();
}

void FramesPage::clear() {
    file_ = nullptr;
    setPendingPicture({}, {});
    view_ = FrameView{};
    lstID3v2Frames->clear();
    txtv2Content->clear();
    picPicture->clearPicture();
    stack_->setCurrentWidget(txtv2Content);
    cmdAddPicture->setEnabled(false);
}

void FramesPage::setMultiSelection(bool multi) {
    multi_ = multi;
    if (!multi_) setPendingPicture({}, {});
    cmdAddPicture->setEnabled(multi_ || file_ != nullptr);
    // With several files the picture box is where a picture for all of them is dropped.
    if (multi_ && !file_) stack_->setCurrentWidget(picPictureBox);
}

void FramesPage::setPendingPicture(std::string bytes, std::string mime) {
    pendingPicture_ = std::move(bytes);
    pendingMime_ = std::move(mime);
    if (pendingPicture_.empty()) {
        lblPendingPicture->clear();
        if (!file_) picPicture->clearPicture();
        return;
    }
    lblPendingPicture->setText(
        QString("Pending front cover (%1, %2 bytes): added to every selected file with the next save.")
            .arg(displayText(pendingMime_))
            .arg(static_cast<qulonglong>(pendingPicture_.size())));
    const QByteArray shown(pendingPicture_.data(), static_cast<qsizetype>(pendingPicture_.size()));
    picPicture->setPicture(shown, displayText(imageExtension(detectImageFormat(pendingPicture_))));
    stack_->setCurrentWidget(picPictureBox);
}

void FramesPage::fillList() {
    const QSignalBlocker block(lstID3v2Frames);
    lstID3v2Frames->clear();
    if (!file_) return;
    for (const std::string& id : frameList(*file_)) lstID3v2Frames->addItem(displayText(id));
}

void FramesPage::showID3v2Frame(const std::string& id) {
    if (!file_) return;
    view_ = vorda::editing::showID3v2Frame(*file_, id);
    stack_->setCurrentWidget(txtv2Content);
    txtv2Content->clear();
    if (view_.isPicture) {
        showPicture(view_.picture);
        return;
    }
    if (!isPictureFrame(id)) txtv2Content->setPlainText(displayText(view_.text));
}

void FramesPage::showPicture(const PictureData& picture) {
    const QByteArray bytes(picture.bytes.data(), static_cast<qsizetype>(picture.bytes.size()));
    QImage probe;
    // Whatever the MIME type says, the picture is shown when an image loader recognises its bytes.
    if (!probe.loadFromData(bytes)) {
        view_.isPicture = false;
        return;
    }
    picPicture->setPicture(bytes, displayText(imageExtension(picture.format)));
    picPicture->move(0, 0);
    stack_->setCurrentWidget(picPictureBox);
}

void FramesPage::deleteSelectedFrames() {
    if (multi_) {
        if (ask)
            ask(TagCopyCommands::kNotOnMultiple, MessageButtons::Ok, MessageIcon::Information);
        else
            QMessageBox::information(this, "Vorda", TagCopyCommands::kNotOnMultiple);
        return;
    }
    if (!file_) return;
    std::vector<std::string> ids;
    for (int i = lstID3v2Frames->count() - 1; i >= 0; --i)
        if (lstID3v2Frames->item(i)->isSelected()) ids.push_back(fromQt(lstID3v2Frames->item(i)->text()));
    const int removed = deleteFrames(*file_, ids);
    // The "ID#n" names of the frames that stay may have moved up: list them anew.
    fillList();
    picPicture->clearPicture();
    view_ = FrameView{};
    txtv2Content->clear();
    stack_->setCurrentWidget(txtv2Content);
    if (removed > 0) emit tagChanged();
}

int FramesPage::exportSelectedFrame(const QString& chosen) {
    QListWidgetItem* item = lstID3v2Frames->currentItem();
    if (!file_ || !item || !item->isSelected() || item->text().isEmpty()) return 0;
    if (view_.id != fromQt(item->text())) showID3v2Frame(fromQt(item->text()));
    FrameView view = view_;
    if (!view.isPicture) view.text = fromQt(txtv2Content->toPlainText());
    QString name = chosen;
    if (name.isEmpty()) {
        const QString start = lastDir ? displayText(lastDir()) : QString();
        name = QFileDialog::getSaveFileName(this, "Export", start, qtFilter(exportFilter(view)));
    }
    if (name.trimmed().isEmpty()) return 0;
    std::string written;
    const int error = exportFrame(view, fromQt(name), &written);
    if (error != 0) {
        const std::string text = "Error " + std::to_string(error) + " " + errorText(error) + "\r\n" + written;
        if (ask)
            ask(text, MessageButtons::Ok, MessageIcon::Error);
        else
            QMessageBox::critical(this, "Vorda", displayText(text));
    }
    return error;
}

bool FramesPage::addPictureFromFile(const QString& path) {
    if (!file_ && !multi_) return false;
    QString name = path;
    if (name.isEmpty()) {
        const QString start = lastDir ? displayText(lastDir()) : QString();
        name = QFileDialog::getOpenFileName(
            this, "Add picture", start,
            "Pictures (*.jpg *.jpeg *.png);;JPEG Picture (*.jpg *.jpeg);;PNG Picture (*.png)");
        if (name.isEmpty()) return false;
    }
    std::string error;
    if (multi_) {
        std::string bytes, mime;
        if (!readPictureFile(fromQt(name), bytes, mime, &error)) {
            if (ask)
                ask(error, MessageButtons::Ok, MessageIcon::Information);
            else
                QMessageBox::information(this, "Vorda", displayText(error));
            return false;
        }
        setPendingPicture(std::move(bytes), std::move(mime));
        emit tagChanged();
        return true;
    }
    if (!addPictureFile(*file_, fromQt(name), &error)) {
        if (ask)
            ask(error, MessageButtons::Ok, MessageIcon::Information);
        else
            QMessageBox::information(this, "Vorda", displayText(error));
        return false;
    }
    fillList();
    // Show the picture just added: the front cover is the last picture frame listed or the replaced one.
    for (int i = lstID3v2Frames->count() - 1; i >= 0; --i) {
        const std::string id = fromQt(lstID3v2Frames->item(i)->text());
        if (!isPictureFrame(id)) continue;
        PictureData picture;
        if (parsePicture(file_->tag().getValue(ValueKey::V2Frame, id), picture) && picture.pictureType == 3 &&
            picture.description.empty()) {
            lstID3v2Frames->setCurrentRow(i);
            showID3v2Frame(id);
            break;
        }
    }
    emit tagChanged();
    return true;
}

}  // namespace vorda::editing
