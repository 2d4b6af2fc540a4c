#include "editing/QtFramesPage.h"

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

#include "app/FileOps.h"
#include "tags/clsFile.h"

namespace vorda {

namespace {

QString FromStd(const std::string& s) { return QString::fromStdString(s); }
std::string ToStd(const QString& s) { return s.toStdString(); }

// "JPEG Picture (*.jpg)|*.jpg|Any file (*.*)|*.*" as a Qt filter list.
QString QtFilter(const std::string& filter) {
    const QStringList parts = FromStd(filter).split('|');
    QStringList out;
    for (int i = 0; i < parts.size(); i += 2) out << parts[i];
    return out.join(";;");
}

}  // namespace

// ------------------------------------------------------------------ picture label

QtPictureLabel::QtPictureLabel(QWidget* parent) : QLabel(parent) {
    setAcceptDrops(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setToolTip("Drop a JPEG or PNG picture here to add it; drag the picture out to save it as a file.");
}

void QtPictureLabel::SetPicture(const QByteArray& bytes, const QString& extension) {
    bytes_ = bytes;
    extension_ = extension;
    QPixmap pixmap;
    pixmap.loadFromData(bytes);
    setPixmap(pixmap);
}

void QtPictureLabel::ClearPicture() {
    bytes_.clear();
    extension_.clear();
    clear();
}

QString QtPictureLabel::WriteDragFile() const {
    if (bytes_.isEmpty()) return {};
    const QString folder = QDir::tempPath() + "/vorda-" + QString::number(QCoreApplication::applicationPid());
    if (!QDir().mkpath(folder)) return {};
    const QString path = folder + "/picture." + (extension_.isEmpty() ? QString("bin") : extension_);
    if (WriteFileBytes(ToStd(path), std::string_view(bytes_.constData(), static_cast<size_t>(bytes_.size()))) != 0)
        return {};
    return path;
}

void QtPictureLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressPos_ = event->position().toPoint();
    QLabel::mousePressEvent(event);
}

void QtPictureLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || bytes_.isEmpty() ||
        (event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance())
        return;
    const QString path = WriteDragFile();
    if (path.isEmpty()) return;
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(path)});
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    if (!pixmap().isNull()) drag->setPixmap(pixmap().scaled(64, 64, Qt::KeepAspectRatio));
    drag->exec(Qt::CopyAction);
}

void QtPictureLabel::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() && mime->urls().size() == 1 && mime->urls().front().isLocalFile()) event->acceptProposedAction();
}

void QtPictureLabel::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    emit imageFileDropped(urls.front().toLocalFile());
}

// ------------------------------------------------------------------ page

QtFramesPage::QtFramesPage(QWidget* parent) : QWidget(parent) {
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
    picPicture = new QtPictureLabel(scroll);
    picPicture->setObjectName("picPicture");
    scroll->setWidget(picPicture);
    scroll->setWidgetResizable(true);
    picPictureBox = scroll;
    stack_->addWidget(picPictureBox);
    right->addWidget(stack_);
    layout->addLayout(right, 2);

    connect(lstID3v2Frames, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowID3v2Frame(ToStd(item->text())); });
    connect(lstID3v2Frames, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item, QListWidgetItem*) {
        if (item) ShowID3v2Frame(ToStd(item->text()));
    });
    connect(cmdDeleteFrame, &QPushButton::clicked, this, [this] { DeleteSelectedFrames(); });
    connect(cmdExportFrame, &QPushButton::clicked, this, [this] { ExportSelectedFrame(); });
    connect(cmdAddPicture, &QPushButton::clicked, this, [this] { AddPictureFromFile(); });
    connect(cmdCopyToV1, &QPushButton::clicked, this, &QtFramesPage::copyToV1Requested);
    connect(cmdCopyFromV1, &QPushButton::clicked, this, &QtFramesPage::copyToV2Requested);
    connect(picPicture, &QtPictureLabel::imageFileDropped, this, [this](const QString& path) {
        if (!path.isEmpty()) AddPictureFromFile(path);
    });
    Clear();
}

void QtFramesPage::ShowFile(clsFile& file) {
    Clear();
    file_ = &file;
    cmdAddPicture->setEnabled(true);
    FillList();
}

void QtFramesPage::Clear() {
    file_ = nullptr;
    SetPendingPicture({}, {});
    view_ = FrameView{};
    lstID3v2Frames->clear();
    txtv2Content->clear();
    picPicture->ClearPicture();
    stack_->setCurrentWidget(txtv2Content);
    cmdAddPicture->setEnabled(false);
}

void QtFramesPage::SetMultiSelection(bool multi) {
    multi_ = multi;
    if (!multi_) SetPendingPicture({}, {});
    cmdAddPicture->setEnabled(multi_ || file_ != nullptr);
    // With several files the picture box is where a picture for all of them is dropped.
    if (multi_ && !file_) stack_->setCurrentWidget(picPictureBox);
}

void QtFramesPage::SetPendingPicture(std::string bytes, std::string mime) {
    pendingPicture_ = std::move(bytes);
    pendingMime_ = std::move(mime);
    if (pendingPicture_.empty()) {
        lblPendingPicture->clear();
        if (!file_) picPicture->ClearPicture();
        return;
    }
    lblPendingPicture->setText(QString("Pending front cover (%1, %2 bytes): added to every selected file with the next save.")
                                   .arg(FromStd(pendingMime_))
                                   .arg(static_cast<qulonglong>(pendingPicture_.size())));
    const QByteArray shown(pendingPicture_.data(), static_cast<qsizetype>(pendingPicture_.size()));
    picPicture->SetPicture(shown, FromStd(ImageExtension(DetectImageFormat(pendingPicture_))));
    stack_->setCurrentWidget(picPictureBox);
}

void QtFramesPage::FillList() {
    const QSignalBlocker block(lstID3v2Frames);
    lstID3v2Frames->clear();
    if (!file_) return;
    for (const std::string& id : FrameList(*file_)) lstID3v2Frames->addItem(FromStd(id));
}

void QtFramesPage::ShowID3v2Frame(const std::string& id) {
    if (!file_) return;
    view_ = vorda::ShowID3v2Frame(*file_, id);
    stack_->setCurrentWidget(txtv2Content);
    txtv2Content->clear();
    if (view_.isPicture) {
        ShowPicture(view_.picture);
        return;
    }
    if (!IsPictureFrame(id)) txtv2Content->setPlainText(FromStd(view_.text));
}

void QtFramesPage::ShowPicture(const PictureData& picture) {
    const QByteArray bytes(picture.bytes.data(), static_cast<qsizetype>(picture.bytes.size()));
    QImage probe;
    // Whatever the MIME type says, the picture is shown when an image loader recognises its bytes.
    if (!probe.loadFromData(bytes)) {
        view_.isPicture = false;
        return;
    }
    picPicture->SetPicture(bytes, FromStd(ImageExtension(picture.format)));
    picPicture->move(0, 0);
    stack_->setCurrentWidget(picPictureBox);
}

void QtFramesPage::DeleteSelectedFrames() {
    if (multi_) {
        if (Ask) Ask(TagCopyCommands::kNotOnMultiple, mbOK, miInformation);
        else QMessageBox::information(this, "Vorda", TagCopyCommands::kNotOnMultiple);
        return;
    }
    if (!file_) return;
    std::vector<std::string> ids;
    for (int i = lstID3v2Frames->count() - 1; i >= 0; --i)
        if (lstID3v2Frames->item(i)->isSelected()) ids.push_back(ToStd(lstID3v2Frames->item(i)->text()));
    const int removed = DeleteFrames(*file_, ids);
    // The "ID#n" names of the frames that stay may have moved up: list them anew.
    FillList();
    picPicture->ClearPicture();
    view_ = FrameView{};
    txtv2Content->clear();
    stack_->setCurrentWidget(txtv2Content);
    if (removed > 0) emit tagChanged();
}

int QtFramesPage::ExportSelectedFrame(const QString& chosen) {
    QListWidgetItem* item = lstID3v2Frames->currentItem();
    if (!file_ || !item || !item->isSelected() || item->text().isEmpty()) return 0;
    if (view_.id != ToStd(item->text())) ShowID3v2Frame(ToStd(item->text()));
    FrameView view = view_;
    if (!view.isPicture) view.text = ToStd(txtv2Content->toPlainText());
    QString name = chosen;
    if (name.isEmpty()) {
        const QString start = LastDir ? FromStd(LastDir()) : QString();
        name = QFileDialog::getSaveFileName(this, "Export", start, QtFilter(ExportFilter(view)));
    }
    if (name.trimmed().isEmpty()) return 0;
    std::string written;
    const int error = ExportFrame(view, ToStd(name), &written);
    if (error != 0) {
        const std::string text = "Error " + std::to_string(error) + " " + ErrorText(error) + "\r\n" + written;
        if (Ask) Ask(text, mbOK, miError);
        else QMessageBox::critical(this, "Vorda", FromStd(text));
    }
    return error;
}

bool QtFramesPage::AddPictureFromFile(const QString& path) {
    if (!file_ && !multi_) return false;
    QString name = path;
    if (name.isEmpty()) {
        const QString start = LastDir ? FromStd(LastDir()) : QString();
        name = QFileDialog::getOpenFileName(this, "Add picture", start,
                                            "Pictures (*.jpg *.jpeg *.png);;JPEG Picture (*.jpg *.jpeg);;PNG Picture (*.png)");
        if (name.isEmpty()) return false;
    }
    std::string error;
    if (multi_) {
        std::string bytes, mime;
        if (!ReadPictureFile(ToStd(name), bytes, mime, &error)) {
            if (Ask) Ask(error, mbOK, miInformation);
            else QMessageBox::information(this, "Vorda", FromStd(error));
            return false;
        }
        SetPendingPicture(std::move(bytes), std::move(mime));
        emit tagChanged();
        return true;
    }
    if (!AddPictureFile(*file_, ToStd(name), &error)) {
        if (Ask) Ask(error, mbOK, miInformation);
        else QMessageBox::information(this, "Vorda", FromStd(error));
        return false;
    }
    FillList();
    // Show the picture just added: the front cover is the last picture frame listed or the replaced one.
    for (int i = lstID3v2Frames->count() - 1; i >= 0; --i) {
        const std::string id = ToStd(lstID3v2Frames->item(i)->text());
        if (!IsPictureFrame(id)) continue;
        PictureData picture;
        if (ParsePicture(file_->Tag().GetValue(tvV2Frame, id), picture) && picture.pictureType == 3 &&
            picture.description.empty()) {
            lstID3v2Frames->setCurrentRow(i);
            ShowID3v2Frame(id);
            break;
        }
    }
    emit tagChanged();
    return true;
}

}  // namespace vorda
