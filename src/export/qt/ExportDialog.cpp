// SPDX-License-Identifier: GPL-2.0-or-later

#include "export/qt/ExportDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include "base/FileOps.h"
#include "base/Text.h"

using namespace vorda::base;

namespace vorda::exports {

namespace {

constexpr long kPreviewRows = 20;

QString q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string s(const QString& text) { return text.toUtf8().toStdString(); }
// Paths are byte strings; the file pickers give them as QStrings.
std::string pathOf(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString pathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

QPlainTextEdit* sectionBox(const QString& name) {
    auto* box = new QPlainTextEdit;
    box->setObjectName(name);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}

void showColor(QLineEdit* box, const QString& color) {
    box->setText(color);
    const QColor c(color);
    if (c.isValid())
        box->setStyleSheet(
            QStringLiteral("QLineEdit { background-color: %1; color: %2; }")
                .arg(c.name(), c.lightness() < 128 ? QStringLiteral("#ffffff") : QStringLiteral("#000000")));
    else
        box->setStyleSheet({});
}

}  // namespace

std::string askExportTarget(QWidget* parent, ExportType type, const std::string& startFolder) {
    QStringList filters;
    for (const std::string& filter : targetFileFilters(type)) filters << q(filter);
    const QString chosen = QFileDialog::getSaveFileName(parent, QStringLiteral("Export..."), pathText(startFolder),
                                                        filters.join(QStringLiteral(";;")));
    return pathOf(chosen);
}

QString variablesText() {
    const QStringList lines{
        QStringLiteral("ID3:"),
        QStringLiteral("<artist>\t<album>\t<title>\t<track>\t<year>\t<genre>\t<link>\t<composer>\t<copyright>\t"
                       "<encoder>\t<comment>"),
        QStringLiteral("MPEG:"),
        QStringLiteral("<bitrate>\t<channelmode>\t<layer>\t<mpegver>\t<original>\t<samplerate>\t<duration>"),
        QStringLiteral("FILE:"),
        QStringLiteral("<filedate>\t<filesize>"),
        QStringLiteral("<filename>\t<rel_filepath>"),
        QStringLiteral("<filepath>\t<totfiles>"),
        QStringLiteral("OTHER:"),
        QStringLiteral("<oddeven>\t<rownr>\t<todaydate>\t<todaytime>"),
    };
    return lines.join(QStringLiteral("\n"));
}

ExportDialog::ExportDialog(std::string dataFolder, std::string lastFolder, RowProvider rows, int trackDigits,
                           QWidget* parent)
    : QDialog(parent),
      dataFolder_(std::move(dataFolder)),
      lastFolder_(std::move(lastFolder)),
      rows_(std::move(rows)),
      trackDigits_(trackDigits) {
    setObjectName(QStringLiteral("frmExportList"));
    setWindowTitle(QStringLiteral("Export..."));

    auto* top = new QGridLayout;
    auto* typeLabel = new QLabel(QStringLiteral("Export type:"));
    cmbExportType_ = new QComboBox;
    cmbExportType_->setObjectName(QStringLiteral("cmbExportType"));
    for (int type = 0; type < kExportTypeCount; ++type) cmbExportType_->addItem(q(exportTitle(type)));
    typeLabel->setBuddy(cmbExportType_);
    auto* templateLabel = new QLabel(QStringLiteral("Template:"));
    txtTemplate_ = new QLineEdit;
    txtTemplate_->setObjectName(QStringLiteral("txtTemplate"));
    txtTemplate_->setReadOnly(true);
    top->addWidget(typeLabel, 0, 0);
    top->addWidget(cmbExportType_, 0, 1);
    top->addWidget(templateLabel, 1, 0);
    top->addWidget(txtTemplate_, 1, 1);
    top->setColumnStretch(1, 1);

    optAllFiles_ = new QRadioButton(QStringLiteral("All files in list."));
    optAllFiles_->setObjectName(QStringLiteral("optWhichFiles0"));
    optSelectedFiles_ = new QRadioButton(QStringLiteral("Selected files only."));
    optSelectedFiles_->setObjectName(QStringLiteral("optWhichFiles1"));
    optAllFiles_->setChecked(true);
    auto* which = new QHBoxLayout;
    which->addWidget(optAllFiles_);
    which->addWidget(optSelectedFiles_);
    which->addStretch();

    buildCustomPanel();
    buildCoverPanel();

    txtPreview_ = new QTextBrowser;
    txtPreview_->setObjectName(QStringLiteral("txtPreview"));
    txtPreview_->setOpenLinks(false);
    auto* previewBox = new QGroupBox(QStringLiteral("Preview (first rows)"));
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->addWidget(txtPreview_);

    auto* panels = new QWidget;
    auto* panelsLayout = new QVBoxLayout(panels);
    panelsLayout->setContentsMargins(0, 0, 0, 0);
    panelsLayout->addWidget(picCustom_);
    panelsLayout->addWidget(picCDCover_);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(panels);
    splitter->addWidget(previewBox);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    auto* cmdExport = new QPushButton(QStringLiteral("Export"));
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setDefault(true);
    auto* cmdClose = new QPushButton(QStringLiteral("Close"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExport);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(which);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(860, 700);

    previewTimer_ = new QTimer(this);
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(200);
    connect(previewTimer_, &QTimer::timeout, this, &ExportDialog::updatePreview);
    for (QPlainTextEdit* box : {txtStartData_, txtRowData_, txtEndData_})
        connect(box, &QPlainTextEdit::textChanged, this, &ExportDialog::schedulePreview);
    connect(optAllFiles_, &QRadioButton::toggled, this, &ExportDialog::schedulePreview);
    for (const FacePanel* face : {&front_, &back_, &sides_})
        connect(face->title, &QLineEdit::textChanged, this, &ExportDialog::schedulePreview);

    connect(cmbExportType_, &QComboBox::currentIndexChanged, this,
            [this](int index) { selectType(exportTypeOf(index).value_or(ExportType::M3u)); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { (void)exportNow(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    selectType(ExportType::M3u);
}

ExportDialog::~ExportDialog() = default;

void ExportDialog::buildCustomPanel() {
    picCustom_ = new QWidget;
    picCustom_->setObjectName(QStringLiteral("picCustom"));
    txtStartData_ = sectionBox(QStringLiteral("txtStartData"));
    txtRowData_ = sectionBox(QStringLiteral("txtRowData"));
    txtEndData_ = sectionBox(QStringLiteral("txtEndData"));
    txtStartData_->setPlainText(QStringLiteral(
        "FileName;Artist;Album;Title;Track;Year;Genre;Comment;Version;Layer;ChannelMode;Composer;Copyright;"
        "Encoder;Duration;BitRate;SampleRate;FileSize;FileDate;Path"));
    txtRowData_->setPlainText(QStringLiteral("<filename>;<artist>;<album>;<title>;<track>;<year>;<genre>;<"
                                             "comment>;<mpegver>;<layer>;<channelmode>;"
                                             "<composer>;<copyright>;<encoder>;<duration>;<bitrate>;<"
                                             "samplerate>;<filesize>;<filedate>;<filepath>"));

    auto* sections = new QVBoxLayout;
    const std::pair<const char*, QPlainTextEdit*> boxes[] = {
        {"Header:", txtStartData_}, {"RowPattern for exported data:", txtRowData_}, {"Footer:", txtEndData_}};
    for (const auto& [caption, box] : boxes) {
        auto* label = new QLabel(QString::fromLatin1(caption));
        label->setBuddy(box);
        sections->addWidget(label);
        sections->addWidget(box, 1);
    }

    auto* variables = new QGroupBox(QStringLiteral("Variables"));
    txtVariables_ = new QPlainTextEdit;
    txtVariables_->setObjectName(QStringLiteral("txtVariables"));
    txtVariables_->setReadOnly(true);
    txtVariables_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtVariables_->setPlainText(variablesText());
    auto* variablesLayout = new QVBoxLayout(variables);
    variablesLayout->addWidget(txtVariables_);

    auto* cmdOpenTemplate = new QPushButton(QStringLiteral("Load Template..."));
    cmdOpenTemplate->setObjectName(QStringLiteral("cmdOpenTemplate"));
    auto* cmdSaveTemplateAs = new QPushButton(QStringLiteral("Save Template As..."));
    cmdSaveTemplateAs->setObjectName(QStringLiteral("cmdSaveTemplateAs"));
    connect(cmdOpenTemplate, &QPushButton::clicked, this, [this] { (void)loadTemplate(); });
    connect(cmdSaveTemplateAs, &QPushButton::clicked, this, [this] { (void)saveTemplateAs(); });

    auto* side = new QVBoxLayout;
    side->addWidget(variables, 1);
    side->addWidget(cmdOpenTemplate);
    side->addWidget(cmdSaveTemplateAs);

    auto* layout = new QHBoxLayout(picCustom_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(sections, 3);
    layout->addLayout(side, 2);
}

QGroupBox* ExportDialog::buildFace(const QString& caption, const QString& prefix, FacePanel& face, bool withPicture) {
    auto* frame = new QGroupBox(caption);
    auto* grid = new QGridLayout(frame);
    int row = 0;
    const auto addRow = [&](const QString& label, QLineEdit* box, QPushButton* button) {
        grid->addWidget(new QLabel(label), row, 0);
        grid->addWidget(box, row, 1);
        if (button) grid->addWidget(button, row, 2);
        ++row;
    };
    const auto lineBox = [&](const QString& name, bool readOnly) {
        auto* box = new QLineEdit;
        box->setObjectName(QStringLiteral("txt") + prefix + name);
        box->setReadOnly(readOnly);
        return box;
    };
    const auto button = [&](const QString& name) {
        auto* b = new QPushButton(QStringLiteral("..."));
        b->setObjectName(QStringLiteral("cmd") + prefix + name);
        return b;
    };

    face.title = lineBox(QStringLiteral("title"), false);
    face.title->setText(QStringLiteral("<artist> - <album>"));
    addRow(QStringLiteral("Title:"), face.title, nullptr);

    face.font = lineBox(QStringLiteral("font"), true);
    face.font->setText(QStringLiteral("Example"));
    QFont sample(QStringLiteral("Arial"));
    sample.setPointSizeF(10);
    face.font->setFont(sample);
    auto* fontButton = button(QStringLiteral("font"));
    connect(fontButton, &QPushButton::clicked, this, [this, &face] {
        if (const auto chosen = chooseFont(face.font->font())) {
            face.font->setFont(*chosen);
            face.font->setText(chosen->family());
            schedulePreview();
        }
    });
    addRow(QStringLiteral("Font:"), face.font, fontButton);

    face.textColor = lineBox(QStringLiteral("textcolor"), true);
    auto* textButton = button(QStringLiteral("textcolor"));
    connect(textButton, &QPushButton::clicked, this, [this, &face] { pickColor(face, face.textColor, true); });
    addRow(QStringLiteral("Text color:"), face.textColor, textButton);

    face.backColor = lineBox(QStringLiteral("backcolor"), true);
    auto* backButton = button(QStringLiteral("backcolor"));
    connect(backButton, &QPushButton::clicked, this, [this, &face] { pickColor(face, face.backColor, false); });
    addRow(QStringLiteral("Back color:"), face.backColor, backButton);

    if (withPicture) {
        face.backPicture = lineBox(QStringLiteral("backpicture"), false);
        auto* pictureButton = button(QStringLiteral("backpicture"));
        connect(pictureButton, &QPushButton::clicked, this, [this, &face] {
            const std::string picture = choosePicture(lastFolder_);
            if (!trim(picture).empty()) face.backPicture->setText(pathText(picture));
            schedulePreview();
        });
        addRow(QStringLiteral("Background picture:"), face.backPicture, pictureButton);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return frame;
}

void ExportDialog::buildCoverPanel() {
    picCDCover_ = new QWidget;
    picCDCover_->setObjectName(QStringLiteral("picCDCover"));
    auto* layout = new QGridLayout(picCDCover_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildFace(QStringLiteral("Cover Front"), QStringLiteral("CF"), front_, true), 0, 0);
    QGroupBox* backFrame = buildFace(QStringLiteral("Cover Back"), QStringLiteral("CB"), back_, true);
    chkTwoColumns_ = new QCheckBox(QStringLiteral("Two column tracks list."));
    chkTwoColumns_->setObjectName(QStringLiteral("chkTwoColumns"));
    auto* backGrid = static_cast<QGridLayout*>(backFrame->layout());
    backGrid->addWidget(chkTwoColumns_, backGrid->rowCount(), 0, 1, 3);
    layout->addWidget(backFrame, 0, 1);
    layout->addWidget(buildFace(QStringLiteral("Cover Sides"), QStringLiteral("CS"), sides_, false), 1, 0);
}

void ExportDialog::pickColor(const FacePanel& face, QLineEdit* box, bool isText) {
    const QColor current(box->text());
    const auto chosen = chooseColor(current.isValid() ? current : QColor(isText ? Qt::black : Qt::white));
    if (!chosen || !chosen->isValid()) return;
    const QString color = q(htmlColor(chosen->red(), chosen->green(), chosen->blue()));
    showColor(box, color);
    // The font sample shows the colours of its frame.
    QPalette palette = face.font->palette();
    palette.setColor(isText ? QPalette::Text : QPalette::Base, *chosen);
    face.font->setPalette(palette);
    schedulePreview();
}

ExportType ExportDialog::currentType() const {
    return exportTypeOf(cmbExportType_->currentIndex()).value_or(ExportType::M3u);
}

void ExportDialog::selectType(ExportType type) {
    if (cmbExportType_->currentIndex() != static_cast<int>(type)) {
        // The index change comes back here.
        cmbExportType_->setCurrentIndex(static_cast<int>(type));
        return;
    }
    ExportTemplate tpl;
    const std::string path = builtInTemplatePath(dataFolder_, type);
    // A missing template leaves the boxes empty.
    (void)loadTemplateFile(path, tpl);
    showPanels(type == ExportType::CdCover);
    showTemplate(tpl);
    showTemplatePath(path);
}

void ExportDialog::showPanels(bool cover) {
    picCDCover_->setVisible(cover);
    picCustom_->setVisible(!cover);
}

void ExportDialog::showTemplate(const ExportTemplate& tpl) {
    txtStartData_->setPlainText(q(tpl.startData));
    txtRowData_->setPlainText(q(tpl.rowData));
    txtEndData_->setPlainText(q(tpl.endData));
    schedulePreview();
}

void ExportDialog::showTemplatePath(const std::string& path) {
    txtTemplate_->setText(pathText(path));
    txtTemplate_->setCursorPosition(static_cast<int>(txtTemplate_->text().size()));
}

ExportTemplate ExportDialog::shownTemplate() const {
    return {withCrLf(s(txtStartData_->toPlainText())), withCrLf(s(txtRowData_->toPlainText())),
            withCrLf(s(txtEndData_->toPlainText()))};
}

CoverFace ExportDialog::faceOf(const FacePanel& face) const {
    CoverFace out;
    out.title = s(face.title->text());
    out.fontName = s(face.font->font().family());
    out.fontSize = face.font->font().pointSizeF();
    out.textColor = s(face.textColor->text());
    out.backColor = s(face.backColor->text());
    if (face.backPicture) out.backPicture = pathOf(face.backPicture->text());
    return out;
}

CoverStyle ExportDialog::coverStyle() const { return {faceOf(front_), faceOf(back_), faceOf(sides_)}; }

ExportOptions ExportDialog::optionsFor(ExportType type) const {
    ExportOptions options;
    options.type = type;
    options.allFiles = optAllFiles_->isChecked();
    options.trackDigits = trackDigits_;
    options.cover = coverStyle();
    return options;
}

ExportDialog::ExportOutcome ExportDialog::exportNow() {
    const ExportType type = currentType();
    const std::string path = chooseTargetFile(type, lastFolder_);
    if (trim(path).empty()) return ExportOutcome::Cancelled;

    const ExportOptions options = optionsFor(type);
    const std::string text = generateExportCode(shownTemplate(), rows_ ? rows_(0) : std::vector<ExportRow>{}, options);

    const std::string folder = getFolder(path);
    if (!folder.empty() && !isDirectory(folder)) {
        if (!askCreateFolder()) return ExportOutcome::FolderDeclined;
        if (!createFolderTree(folder)) {
            tell(QStringLiteral("Could not create folder!"), false);
            return ExportOutcome::FolderNotCreated;
        }
    }
    if (const std::error_code error = writeExport(path, text)) {
        tell(QStringLiteral("Could not write \"%1\": %2").arg(pathText(path), q(error.message())), true);
        return ExportOutcome::WriteFailed;
    }
    // A CD cover export shows its template fresh again.
    if (type == ExportType::CdCover) selectType(type);
    return ExportOutcome::Written;
}

std::string ExportDialog::startFolderForTemplates() const {
    const std::string shown = pathOf(txtTemplate_->text());
    if (!shown.empty() && pathExists(shown) && !isDirectory(shown)) return getFolder(shown);
    return lastFolder_;
}

bool ExportDialog::loadTemplate() {
    const std::string path = chooseTemplateToOpen(startFolderForTemplates());
    if (trim(path).empty()) return false;
    ExportTemplate tpl;
    const std::error_code error = loadTemplateFile(path, tpl);
    showPanels(false);
    if (error) {
        tell(QStringLiteral("Could not read \"%1\": %2").arg(pathText(path), q(error.message())), true);
        return false;
    }
    showTemplate(tpl);
    showTemplatePath(path);
    return true;
}

bool ExportDialog::saveTemplateAs() {
    const std::string path = chooseTemplateToSave(startFolderForTemplates());
    if (trim(path).empty()) return false;
    if (const std::error_code error = saveTemplateFile(path, shownTemplate())) {
        tell(QStringLiteral("Could not write \"%1\": %2").arg(pathText(path), q(error.message())), true);
        return false;
    }
    showTemplatePath(path);
    return true;
}

void ExportDialog::schedulePreview() {
    if (previewTimer_) previewTimer_->start();
}

void ExportDialog::updatePreview() {
    const ExportType type = currentType();
    ExportOptions options = optionsFor(type);
    const std::string text =
        generateExportCode(shownTemplate(), rows_ ? rows_(kPreviewRows) : std::vector<ExportRow>{}, options);
    if (type == ExportType::Html || type == ExportType::CdCover)
        txtPreview_->setHtml(q(text));
    else
        txtPreview_->setPlainText(q(text));
}

std::string ExportDialog::chooseTargetFile(ExportType type, const std::string& startFolder) {
    return askExportTarget(this, type, startFolder);
}

std::string ExportDialog::chooseTemplateToOpen(const std::string& startFolder) {
    return pathOf(QFileDialog::getOpenFileName(this, QStringLiteral("Load Template..."), pathText(startFolder),
                                               QStringLiteral("Template (*.txt);;All Files (*)")));
}

std::string ExportDialog::chooseTemplateToSave(const std::string& startFolder) {
    return pathOf(QFileDialog::getSaveFileName(this, QStringLiteral("Save Template As..."), pathText(startFolder),
                                               QStringLiteral("Template (*.txt)")));
}

std::string ExportDialog::choosePicture(const std::string& startFolder) {
    return pathOf(
        QFileDialog::getOpenFileName(this, QStringLiteral("Background picture"), pathText(startFolder),
                                     QStringLiteral("Pictures (*.bmp *.jpg *.gif *.tif *.png);;All Files (*)")));
}

std::optional<QColor> ExportDialog::chooseColor(const QColor& current) {
    const QColor chosen = QColorDialog::getColor(current, this);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

std::optional<QFont> ExportDialog::chooseFont(const QFont& current) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, current, this);
    if (!ok) return std::nullopt;
    return chosen;
}

bool ExportDialog::askCreateFolder() {
    return QMessageBox::question(this, QStringLiteral("Vorda"),
                                 QStringLiteral("The target directory does not exist. Do you want to creat it?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void ExportDialog::tell(const QString& text, bool isError) {
    if (isError)
        QMessageBox::critical(this, QStringLiteral("Vorda"), text);
    else
        QMessageBox::information(this, QStringLiteral("Vorda"), text);
}

}  // namespace vorda::exports
