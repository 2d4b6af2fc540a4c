// SPDX-License-Identifier: GPL-2.0-or-later

// The tag editor's controls and their typing rules.
#include "editing/qt/TagEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editing/TagFieldRules.h"
#include "platform/QtText.h"

using namespace vorda::platform;

namespace vorda::editing {

namespace {

int twipsToPixels(double twips) { return static_cast<int>(twips / 15.0 + 0.5); }

// Read-only controls get the button-face background, editable ones the window background.
void setBackground(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    w->setPalette(pal);
}
QColor windowBackground() { return QApplication::palette().color(QPalette::Base); }
QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

QComboBox* makeCombo(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

const char* const kFieldLabels[kFieldCount] = {
    "Title", "Artist",     "Album", "Year",   "Track", "Comment", "Composer", "Original Artist", "Copyright",
    "URL",   "Encoded by", "Title", "Artist", "Album", "Year",    "Track",    "Comment"};
const char* const kEnableNames[kSwitchCount] = {"chkID3v1", "chkID3v2", "chkLyrics3"};
const char* const kRemoveNames[kSwitchCount] = {"chkID3v1Rem", "chkID3v2Rem", "chkLyrics3Rem"};
const char* const kEnableCaptions[kSwitchCount] = {"ID3v1 tag", "ID3v2 tag", "Lyrics3 2.0"};
const char* const kRemoveCaptions[kSwitchCount] = {"Remove v1!", "Remove v2!", "Remove tag"};
const char* const kRemoveTips[kSwitchCount] = {"Remove ID3v1 tags from all selected files.",
                                               "Remove ID3v2 tags from all selected files.", ""};
const char* const kInfoNames[kInfoCount] = {"txtfHeader",   "txtfType", "txtfkBit",     "txtfCopyrighted",
                                            "txtfOriginal", "txtfCRCs", "txtfEmphasis", "txtfQuality",
                                            "txtfLength",   "txtfSize"};
const char* const kInfoInitial[kInfoCount] = {
    "Header: ", "", "0kbps", "Copyrighted: ", "Original: ", "CRCs: ", "Emphasis: ", "0Hz Mono", "Length: ", "Size: "};

}  // namespace

TagEditor::TagEditor(QWidget* tagPage, QWidget* lyricsPage, QWidget* infoPage, QObject* parent) : QObject(parent) {
    buildTagPage(tagPage);
    buildLyricsPage(lyricsPage);
    buildInfoPage(infoPage);
    for (int s = 0; s < kSwitchCount; ++s) {
        connect(chkEnable[s], &QCheckBox::toggled, this, [this, s](bool on) { switchToggled(s, on); });
        connect(chkRemove[s], &QCheckBox::toggled, this, [this, s](bool on) { removeToggled(s, on); });
        chkRemove[s]->setVisible(false);
        applyEditable(s);
    }
    setAdvanced(false);
}

void TagEditor::buildTagPage(QWidget* page) {
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* panes = new QHBoxLayout;
    outer->addLayout(panes, 1);

    auto makeField = [this](int i, QWidget* parent, QGridLayout* grid, int row, int col = 0) {
        grid->addWidget(new QLabel(QString::fromLatin1(kFieldLabels[i]) + QLatin1Char(':'), parent), row, col);
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("txtField%1").arg(i));
        edit->installEventFilter(this);
        auto* mark = new QCheckBox(parent);
        mark->setObjectName(QStringLiteral("chkField%1").arg(i));
        mark->setToolTip(QStringLiteral("When checked this field will be saved!"));
        grid->addWidget(edit, row, col + 1, Qt::AlignTop);
        grid->addWidget(mark, row, col + 2, Qt::AlignTop);
        txtField[i] = edit;
        chkField[i] = mark;
        connect(edit, &QLineEdit::textChanged, this, [this, i] { fieldChanged(i); });
    };
    auto makeGenre = [this](bool v1, QWidget* parent, QGridLayout* grid, int row, int col = 0) {
        grid->addWidget(new QLabel(QStringLiteral("Genre:"), parent), row, col);
        QComboBox* box = makeCombo(parent, v1 ? "cmbV1Genre" : "cmbGenre");
        for (const auto& [name, number] : genreList()) box->addItem(displayText(name), number);
        box->setCurrentIndex(-1);  // no genre until a file is shown
        box->setEditText(QString());
        box->installEventFilter(this);
        auto* mark = new QCheckBox(parent);
        mark->setObjectName(v1 ? QStringLiteral("chkV1Genre") : QStringLiteral("chkGenre"));
        mark->setToolTip(QStringLiteral("When checked this field will be saved!"));
        grid->addWidget(box, row, col + 1);
        grid->addWidget(mark, row, col + 2);
        auto markIt = [mark] { mark->setChecked(true); };
        connect(box, &QComboBox::editTextChanged, this, markIt);
        connect(box, qOverload<int>(&QComboBox::activated), this, markIt);
        (v1 ? cmbV1Genre : cmbGenre) = box;
        (v1 ? chkV1Genre : chkGenre) = mark;
    };
    auto makeSwitch = [this](int s, QWidget* parent, QGridLayout* grid) {
        auto* row = new QHBoxLayout;
        chkEnable[s] = new QCheckBox(QString::fromLatin1(kEnableCaptions[s]), parent);
        chkEnable[s]->setObjectName(QString::fromLatin1(kEnableNames[s]));
        chkRemove[s] = new QCheckBox(QString::fromLatin1(kRemoveCaptions[s]), parent);
        chkRemove[s]->setObjectName(QString::fromLatin1(kRemoveNames[s]));
        if (*kRemoveTips[s] != '\0') chkRemove[s]->setToolTip(QString::fromLatin1(kRemoveTips[s]));
        row->addWidget(chkEnable[s]);
        row->addWidget(chkRemove[s]);
        row->addStretch(1);
        grid->addLayout(row, 0, 0, 1, 3);
    };

    picEditTag = new QWidget(page);
    picEditTag->setObjectName(QStringLiteral("picEditTag"));
    auto* v2grid = new QGridLayout(picEditTag);
    v2grid->setContentsMargins(0, 0, 0, 0);
    v2grid->setVerticalSpacing(2);
    makeSwitch(TagSwitch::Id3v2, picEditTag, v2grid);
    // Two columns of fields, so the tag area leaves the list most of the window's height:
    // Title ... Comment on the left, Composer ... Encoded by and the genre on the right.
    for (int i = 0; i <= 5; ++i) makeField(i, picEditTag, v2grid, i + 1);
    for (int i = 6; i <= 10; ++i) makeField(i, picEditTag, v2grid, i - 5, 3);
    makeGenre(false, picEditTag, v2grid, 6, 3);
    v2grid->setColumnStretch(1, 1);
    v2grid->setColumnStretch(4, 1);
    v2grid->setColumnMinimumWidth(3, 12);
    v2grid->setRowStretch(7, 1);
    panes->addWidget(picEditTag, 3);

    picEditID3v1 = new QWidget(page);
    picEditID3v1->setObjectName(QStringLiteral("picEditID3v1"));
    auto* v1grid = new QGridLayout(picEditID3v1);
    v1grid->setContentsMargins(0, 0, 0, 0);
    v1grid->setVerticalSpacing(2);
    makeSwitch(TagSwitch::Id3v1, picEditID3v1, v1grid);
    for (int i = 11; i <= 16; ++i) makeField(i, picEditID3v1, v1grid, i - 10);
    makeGenre(true, picEditID3v1, v1grid, 7);
    v1grid->setRowStretch(8, 1);
    panes->addWidget(picEditID3v1, 2);

    txtField[TagField::Comment]->setFixedHeight(twipsToPixels(kCommentHeightTwips));

    auto* bottom = new QHBoxLayout;
    lblDescription = new QLabel(page);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    cmdSaveTags = new QPushButton(QStringLiteral("Save tags"), page);
    cmdSaveTags->setObjectName(QStringLiteral("cmdSaveTags"));
    cmdSaveTags->setToolTip(QStringLiteral("Save all tag changes. (CTRL+S)"));
    connect(cmdSaveTags, &QPushButton::clicked, this, &TagEditor::saveRequested);
    bottom->addWidget(lblDescription, 1);
    bottom->addWidget(cmdSaveTags);
    outer->addLayout(bottom);
}

void TagEditor::buildLyricsPage(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    chkEnable[TagSwitch::Lyrics3] = new QCheckBox(QString::fromLatin1(kEnableCaptions[TagSwitch::Lyrics3]), page);
    chkEnable[TagSwitch::Lyrics3]->setObjectName(QStringLiteral("chkLyrics3"));
    chkRemove[TagSwitch::Lyrics3] = new QCheckBox(QString::fromLatin1(kRemoveCaptions[TagSwitch::Lyrics3]), page);
    chkRemove[TagSwitch::Lyrics3]->setObjectName(QStringLiteral("chkLyrics3Rem"));
    row->addWidget(chkEnable[TagSwitch::Lyrics3]);
    row->addWidget(chkRemove[TagSwitch::Lyrics3]);
    row->addStretch(1);
    grid->addLayout(row, 0, 0, 1, 4);

    auto combo = [&](const char* name, const char* caption, int control, int r, int c) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), page), r, c);
        QComboBox* box = makeCombo(page, name);
        for (const std::string& item : lyricsChoices(control)) box->addItem(displayText(item));
        box->setCurrentIndex(-1);
        grid->addWidget(box, r, c + 1);
        return box;
    };
    cmbLyrMood = combo("cmbLyrMood", "Mood:", LyricsControl::Mood, 1, 0);
    cmbLyrSituation = combo("cmbLyrSituation", "Situation:", LyricsControl::Situation, 1, 2);
    cmbLyrQuality = combo("cmbLyrQuality", "Quality:", LyricsControl::Quality, 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("Other info:"), page), 2, 2);
    txtLyrOther = new QLineEdit(page);
    txtLyrOther->setObjectName(QStringLiteral("txtLyrOther"));
    grid->addWidget(txtLyrOther, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Author:"), page), 3, 0);
    txtLyrAuthor = new QLineEdit(page);
    txtLyrAuthor->setObjectName(QStringLiteral("txtLyrAuthor"));
    grid->addWidget(txtLyrAuthor, 3, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Lyrics:"), page), 4, 0, Qt::AlignTop);
    txtLyrLyrics = new QPlainTextEdit(page);
    txtLyrLyrics->setObjectName(QStringLiteral("txtLyrLyrics"));
    grid->addWidget(txtLyrLyrics, 4, 1, 1, 3);
    grid->setRowStretch(4, 1);
}

void TagEditor::buildInfoPage(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 4, 4, 4);
    for (int i = 0; i < kInfoCount; ++i) {
        auto* box = new QLineEdit(QString::fromLatin1(kInfoInitial[i]), page);
        box->setObjectName(QString::fromLatin1(kInfoNames[i]));
        box->setReadOnly(true);
        box->setFrame(false);
        grid->addWidget(box, i % 5, i / 5);
        txtfInfo[i] = box;
    }
    grid->setRowStretch(5, 1);
}

// ---------------------------------------------------------------- mirroring

TagPanes TagEditor::collect() const {
    TagPanes p;
    for (int i = 0; i < kFieldCount; ++i) {
        p.txtField[i] = fromQt(txtField[i]->text());
        p.chkField[i] = chkField[i]->isChecked();
    }
    p.cmbGenre = fromQt(cmbGenre->currentText());
    p.cmbV1Genre = fromQt(cmbV1Genre->currentText());
    p.chkGenre = chkGenre->isChecked();
    p.chkV1Genre = chkV1Genre->isChecked();
    for (int s = 0; s < kSwitchCount; ++s) {
        p.enabled[s] = chkEnable[s]->isChecked();
        p.remove[s] = chkRemove[s]->isChecked();
        p.removeVisible[s] = removeVisible_[s];
    }
    p.lyrics[LyricsControl::Mood] = fromQt(cmbLyrMood->currentText());
    p.lyrics[LyricsControl::Situation] = fromQt(cmbLyrSituation->currentText());
    p.lyrics[LyricsControl::Quality] = fromQt(cmbLyrQuality->currentText());
    p.lyrics[LyricsControl::Other] = fromQt(txtLyrOther->text());
    p.lyrics[LyricsControl::Author] = fromQt(txtLyrAuthor->text());
    p.lyrics[LyricsControl::Lyrics] = fromQt(txtLyrLyrics->toPlainText());
    for (int i = 0; i < kInfoCount; ++i) p.fileInfo[i] = fromQt(txtfInfo[i]->text());
    return p;
}

void TagEditor::apply(const TagPanes& p) {
    for (int s = 0; s < kSwitchCount; ++s) {
        chkEnable[s]->setChecked(p.enabled[s]);
        chkRemove[s]->setChecked(p.remove[s]);
        removeVisible_[s] = p.removeVisible[s] && (advanced_ || s != TagSwitch::Id3v2);
        chkRemove[s]->setVisible(removeVisible_[s]);
        applyEditable(s);
    }
    for (int i = 0; i < kFieldCount; ++i) txtField[i]->setText(displayText(p.txtField[i]));
    cmbGenre->setEditText(displayText(p.cmbGenre));
    cmbV1Genre->setEditText(displayText(p.cmbV1Genre));
    cmbLyrMood->setEditText(displayText(p.lyrics[LyricsControl::Mood]));
    cmbLyrSituation->setEditText(displayText(p.lyrics[LyricsControl::Situation]));
    cmbLyrQuality->setEditText(displayText(p.lyrics[LyricsControl::Quality]));
    txtLyrOther->setText(displayText(p.lyrics[LyricsControl::Other]));
    txtLyrAuthor->setText(displayText(p.lyrics[LyricsControl::Author]));
    txtLyrLyrics->setPlainText(displayText(p.lyrics[LyricsControl::Lyrics]));
    for (int i = 0; i < kInfoCount; ++i) txtfInfo[i]->setText(displayText(p.fileInfo[i]));
    // Marks last: filling the texts marked every field.
    for (int i = 0; i < kFieldCount; ++i) chkField[i]->setChecked(p.chkField[i]);
    chkGenre->setChecked(p.chkGenre);
    chkV1Genre->setChecked(p.chkV1Genre);
}

void TagEditor::setAdvanced(bool advanced) {
    advanced_ = advanced;
    chkEnable[TagSwitch::Id3v2]->setText(advanced ? QStringLiteral("ID3v2 tag") : QStringLiteral("Use tags"));
    picEditID3v1->setVisible(advanced);
    if (!advanced) {
        chkEnable[TagSwitch::Id3v2]->setChecked(true);
        chkRemove[TagSwitch::Id3v2]->setChecked(false);
        removeVisible_[TagSwitch::Id3v2] = false;
        chkRemove[TagSwitch::Id3v2]->setVisible(false);
    }
}

void TagEditor::setFieldMaxLength(int maxLength) {
    txtField[TagField::V1Title]->setMaxLength(maxLength);
    txtField[TagField::V1Artist]->setMaxLength(maxLength);
}

// ---------------------------------------------------------------- rules

void TagEditor::fieldChanged(int index) {
    chkField[index]->setChecked(true);
    if (index >= TagField::V1Title && index <= TagField::V1Album && chkEnable[TagSwitch::Id3v1]->isChecked()) {
        const LengthWarning w = id3v1LengthWarning(index, fromQt(txtField[index]->text()), true);
        setBackground(txtField[index], w.warn ? QColor(255, 255, 192) : windowBackground());
        txtField[index]->setToolTip(displayText(w.toolTip));
    }
}

void TagEditor::switchToggled(int tagSwitch, bool on) {
    if (on) chkRemove[tagSwitch]->setChecked(false);
    applyEditable(tagSwitch);
}

void TagEditor::removeToggled(int tagSwitch, bool on) {
    if (on) chkEnable[tagSwitch]->setChecked(false);
}

void TagEditor::applyEditable(int tagSwitch) {
    const bool on = chkEnable[tagSwitch]->isChecked();
    const QColor background = on ? windowBackground() : buttonFace();
    auto edit = [&](QLineEdit* e) {
        e->setReadOnly(!on);
        setBackground(e, background);
    };
    if (tagSwitch == TagSwitch::Lyrics3) {
        for (QComboBox* box : {cmbLyrMood, cmbLyrSituation, cmbLyrQuality}) {
            box->setEnabled(on);
            setBackground(box, background);
        }
        edit(txtLyrOther);
        edit(txtLyrAuthor);
        txtLyrLyrics->setReadOnly(!on);
        setBackground(txtLyrLyrics, background);
        return;
    }
    const bool v1 = tagSwitch == TagSwitch::Id3v1;
    for (int i = v1 ? 11 : 0; i <= (v1 ? 16 : 10); ++i) edit(txtField[i]);
    QComboBox* genre = v1 ? cmbV1Genre : cmbGenre;
    genre->setEnabled(on);
    setBackground(genre, background);
    if (QWidget* copy = v1 ? cmdCopyFromV1 : cmdCopyToV1) copy->setEnabled(on);
}

int TagEditor::fieldIndex(QObject* watched) const {
    for (int i = 0; i < kFieldCount; ++i)
        if (watched == txtField[i]) return i;
    return -1;
}

bool TagEditor::fieldKey(int index, QKeyEvent* key) {
    const bool shift = (key->modifiers() & Qt::ShiftModifier) != 0;
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (navigate) navigate(key->key() == Qt::Key_Down, shift);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (index >= 0) {
            if (auto step = fieldPageStep(index, fromQt(txtField[index]->text()), key->key() == Qt::Key_PageUp))
                txtField[index]->setText(displayText(*step));
            return index == 3 || index == 4 || index == 14 || index == 15;
        }
        return false;
    default: break;
    }
    if (index < 0) return false;
    // Typed characters only: shortcuts (paste, undo) and control keys pass; Backspace always does.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = key->text();
    if (text.isEmpty() || text.at(0).unicode() < 0x20) return false;
    return !fieldAcceptsChar(index, fromQt(text));
}

bool TagEditor::eventFilter(QObject* watched, QEvent* event) {
    const int index = fieldIndex(watched);
    const bool genre = watched == cmbGenre || watched == cmbV1Genre;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (genre) return false;  // the genre lists keep their own keys
        if (index >= 0) return fieldKey(index, key);
        // Another watched control (the tab strip): Up and Down move through the list.
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) return fieldKey(-1, key);
        return false;
    }
    case QEvent::FocusIn:
    case QEvent::Enter:
        if (index >= 0) lblDescription->setText(displayText(fieldDescription(index)));
        if (genre) lblDescription->setText(QString::fromLatin1(kGenreDescription));
        if (index == TagField::Comment && event->type() == QEvent::FocusIn)
            txtField[TagField::Comment]->setFixedHeight(twipsToPixels(kCommentFocusHeightTwips));
        return false;
    case QEvent::FocusOut:
        if (index == TagField::Comment) txtField[TagField::Comment]->setFixedHeight(twipsToPixels(kCommentHeightTwips));
        return false;
    default: return false;
    }
}

}  // namespace vorda::editing
