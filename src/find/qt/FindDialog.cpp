// SPDX-License-Identifier: GPL-2.0-or-later

#include "find/qt/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

namespace vorda::find {

namespace {

enum Page : int { SearchPage = 0, TrimPage = 1, AddPage = 2 };

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string toUtf8(const QString& text) { return text.toUtf8().toStdString(); }

// A page of one text box and the two option buttons "beginning" and "end" (the first checked).
struct EditPage {
    QLineEdit* text;
    QRadioButton* beginning;
};

EditPage addEditPage(QTabWidget* tabs, const QString& title, const QString& toolTip, const QString& label,
                     const char* textName, const QString& sideName, const QString& beginning, const QString& end) {
    auto* page = new QWidget(tabs);
    page->setObjectName(QString("picTab_%1").arg(tabs->count()));
    auto* layout = new QVBoxLayout(page);
    auto* text = new QLineEdit(page);
    text->setObjectName(textName);
    layout->addWidget(new QLabel(label, page));
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    auto* first = new QRadioButton(beginning, page);
    auto* second = new QRadioButton(end, page);
    first->setObjectName(sideName + "_0");
    second->setObjectName(sideName + "_1");
    first->setChecked(true);
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
    tabs->setTabToolTip(tabs->addTab(page, title), toolTip);
    return {text, first};
}

}  // namespace

FindDialog::FindDialog(FindReplace& engine, QWidget* parent) : QDialog(parent), engine_(engine) {
    setObjectName("frmFind");
    setWindowTitle(tr("ID3 - Find & Replace/Trim/Add"));
    message_ = [this](const QString& text, QMessageBox::Icon icon) {
        QMessageBox box(icon, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };

    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("TabStrip");
    layout->addWidget(tabs_);

    // ---- Search && Replace
    auto* searchPage = new QWidget(tabs_);
    searchPage->setObjectName("picTab_0");
    auto* searchLayout = new QGridLayout(searchPage);
    findText_ = new QLineEdit(searchPage);
    findText_->setObjectName("txtFind");
    replaceText_ = new QLineEdit(searchPage);
    replaceText_->setObjectName("txtReplace");
    matchCase_ = new QCheckBox(tr("Match Case"), searchPage);
    matchCase_->setObjectName("chkMatchCase");
    replaceAll_ = new QCheckBox(tr("Replace All"), searchPage);
    replaceAll_->setObjectName("chkReplaceAll");
    selectMatches_ = new QCheckBox(tr("Select matching files"), searchPage);
    selectMatches_->setObjectName("chkSelectMatches");
    auto* findLabel = new QLabel(tr("Find:"), searchPage);
    findLabel->setBuddy(findText_);
    auto* replaceLabel = new QLabel(tr("Replace with:"), searchPage);
    replaceLabel->setBuddy(replaceText_);
    searchLayout->addWidget(findLabel, 0, 0);
    searchLayout->addWidget(findText_, 0, 1, 1, 3);
    searchLayout->addWidget(replaceLabel, 1, 0);
    searchLayout->addWidget(replaceText_, 1, 1, 1, 3);
    searchLayout->addWidget(matchCase_, 2, 1);
    searchLayout->addWidget(replaceAll_, 2, 2);
    searchLayout->addWidget(selectMatches_, 2, 3);
    tabs_->addTab(searchPage, tr("Search && Replace"));
    tabs_->setTabToolTip(SearchPage, tr("Search and replace in ID3 tags."));

    const EditPage trim = addEditPage(tabs_, tr("Trim."), tr("Remove a number of characters from ID3 frames."),
                                      tr("Number of characters to remove:"), "txtRemoveChars", "optTrimSide",
                                      tr("From the beginning"), tr("From the end"));
    removeCount_ = trim.text;
    trimBeginning_ = trim.beginning;
    removeCount_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), removeCount_));
    const EditPage add =
        addEditPage(tabs_, tr("Add+"), tr("Add text to the beginning or end of frames."), tr("Text to add:"),
                    "txtAddText", "optAddSide", tr("At the beginning"), tr("At the end"));
    addText_ = add.text;
    addBeginning_ = add.beginning;

    // ---- scope, tags and fields, shared by the pages
    auto* scopeRow = new QHBoxLayout;
    auto* scopeBox = new QGroupBox(tr("Files"), this);
    auto* scopeLayout = new QVBoxLayout(scopeBox);
    allFiles_ = new QRadioButton(tr("All Files"), scopeBox);
    allFiles_->setObjectName("optFiles_0");
    selectedFiles_ = new QRadioButton(tr("Selected Files"), scopeBox);
    selectedFiles_->setObjectName("optFiles_1");
    allFiles_->setChecked(true);
    scopeLayout->addWidget(allFiles_);
    scopeLayout->addWidget(selectedFiles_);
    scopeRow->addWidget(scopeBox);

    auto* tagBox = new QGroupBox(tr("Tags"), this);
    auto* tagLayout = new QVBoxLayout(tagBox);
    const char* const tagNames[kSearchTagCount] = {"chkID3v1", "chkID3v2", "chkLyrics3"};
    for (int t = 0; t < kSearchTagCount; ++t) {
        auto* box = new QCheckBox(fromUtf8(tagCaption(static_cast<SearchTag>(t))), tagBox);
        box->setObjectName(tagNames[t]);
        box->setChecked(static_cast<SearchTag>(t) != SearchTag::Lyrics3);
        tagLayout->addWidget(box);
        tagBoxes_[static_cast<size_t>(t)] = box;
    }
    scopeRow->addWidget(tagBox);

    auto* fieldBox = new QGroupBox(tr("Fields"), this);
    auto* fieldLayout = new QGridLayout(fieldBox);
    for (int f = 0; f < kSearchFieldCount; ++f) {
        const auto field = static_cast<SearchField>(f);
        auto* box = new QCheckBox(fromUtf8(fieldCaption(field)), fieldBox);
        box->setObjectName(QString("chkSearchFrame_%1").arg(f));
        box->setChecked(field == SearchField::Artist || field == SearchField::Album || field == SearchField::Title ||
                        field == SearchField::Comment);
        fieldLayout->addWidget(box, f % 5, f / 5);
        fieldBoxes_[static_cast<size_t>(f)] = box;
    }
    scopeRow->addWidget(fieldBox, 1);
    layout->addLayout(scopeRow);

    // ---- buttons
    auto* buttons = new QHBoxLayout;
    find_ = new QPushButton(tr("Find"), this);
    find_->setObjectName("cmdFind");
    find_->setDefault(true);
    replace_ = new QPushButton(tr("Replace"), this);
    replace_->setObjectName("cmdReplace");
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName("cmdClose");
    buttons->addStretch();
    buttons->addWidget(find_);
    buttons->addWidget(replace_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    result_ = new QLabel(this);
    result_->setObjectName("lblResult");
    layout->addWidget(result_);

    connect(find_, &QPushButton::clicked, this, &FindDialog::runFind);
    connect(replace_, &QPushButton::clicked, this, &FindDialog::runReplace);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(tabs_, &QTabWidget::currentChanged, this, &FindDialog::updatePage);
    connect(findText_, &QLineEdit::textChanged, this, &FindDialog::optionsChanged);
    for (QCheckBox* box : {matchCase_, replaceAll_, selectMatches_})
        connect(box, &QCheckBox::toggled, this, [this] {
            optionsChanged();
            engine_.reset();
        });
    connect(allFiles_, &QRadioButton::toggled, this, &FindDialog::optionsChanged);
    for (QCheckBox* box : tagBoxes_)
        connect(box, &QCheckBox::toggled, this, [this] {
            updateFieldBoxes();
            optionsChanged();
        });
    for (QCheckBox* box : fieldBoxes_) connect(box, &QCheckBox::toggled, this, &FindDialog::optionsChanged);

    updateFieldBoxes();
    updatePage();
    engine_.setOptions(searchOptions());
}

SearchOptions FindDialog::searchOptions() const {
    SearchOptions options;
    options.findText = toUtf8(findText_->text());
    options.matchCase = matchCase_->isChecked();
    options.scope = selectedFiles_->isChecked() ? FileScope::SelectedFiles : FileScope::AllFiles;
    for (int t = 0; t < kSearchTagCount; ++t)
        options.tags[static_cast<size_t>(t)] = tagBoxes_[static_cast<size_t>(t)]->isChecked();
    for (int f = 0; f < kSearchFieldCount; ++f)
        options.fields[static_cast<size_t>(f)] = fieldBoxes_[static_cast<size_t>(f)]->isChecked();
    return options;
}

void FindDialog::setSearchOptions(const SearchOptions& options) {
    findText_->setText(fromUtf8(options.findText));
    matchCase_->setChecked(options.matchCase);
    (options.scope == FileScope::SelectedFiles ? selectedFiles_ : allFiles_)->setChecked(true);
    for (int t = 0; t < kSearchTagCount; ++t)
        tagBoxes_[static_cast<size_t>(t)]->setChecked(options.tags[static_cast<size_t>(t)]);
    for (int f = 0; f < kSearchFieldCount; ++f)
        fieldBoxes_[static_cast<size_t>(f)]->setChecked(options.fields[static_cast<size_t>(f)]);
    engine_.setOptions(searchOptions());
    engine_.reset();
}

void FindDialog::showEvent(QShowEvent* event) {
    engine_.setOptions(searchOptions());
    engine_.reset();
    QDialog::showEvent(event);
}

void FindDialog::optionsChanged() { engine_.setOptions(searchOptions()); }

void FindDialog::updatePage() {
    const int page = tabs_->currentIndex();
    find_->setText(page == TrimPage ? tr("Trim") : page == AddPage ? tr("Add") : tr("Find"));
    replace_->setVisible(page == SearchPage);
}

void FindDialog::updateFieldBoxes() {
    // A field box is usable while a checked tag carries the field (track and genre never).
    for (int f = 0; f < kSearchFieldCount; ++f) {
        bool carried = false;
        for (int t = 0; t < kSearchTagCount; ++t)
            carried = carried || (tagBoxes_[static_cast<size_t>(t)]->isChecked() &&
                                  fieldValueKey(static_cast<SearchTag>(t), static_cast<SearchField>(f)).has_value());
        fieldBoxes_[static_cast<size_t>(f)]->setEnabled(carried);
    }
}

void FindDialog::showMessage(const QString& text, QMessageBox::Icon icon) {
    if (message_) message_(text, icon);
}

void FindDialog::reportWrites(const WriteReport& writes) {
    if (writes.failed > 0) showMessage(fromUtf8(writes.message()), QMessageBox::Critical);
}

void FindDialog::showFindOutcome(FindOutcome outcome) {
    switch (outcome) {
    case FindOutcome::Found: emit matchFound(*engine_.currentMatch()); break;
    case FindOutcome::NotFound:
        showMessage(fromUtf8(notFoundMessage(engine_.options().findText)), QMessageBox::Information);
        break;
    case FindOutcome::NothingToFind: showMessage(fromUtf8(nothingToFindMessage()), QMessageBox::Information); break;
    }
}

void FindDialog::showResult(const QString& text) { result_->setText(text); }

void FindDialog::runFind() {
    engine_.setOptions(searchOptions());
    showResult({});
    const int page = tabs_->currentIndex();
    if (page == TrimPage) {
        bool ok = false;
        const qulonglong count = removeCount_->text().toULongLong(&ok);
        if (!ok || count == 0) return;
        const BatchResult result =
            engine_.trim(static_cast<size_t>(std::min<qulonglong>(count, std::numeric_limits<size_t>::max())),
                         trimBeginning_->isChecked() ? TextSide::Beginning : TextSide::End);
        showResult(fromUtf8(changeSummary(result)));
        if (!result.rows.empty()) emit filesChanged(result.rows);
        reportWrites(result.writes);
        return;
    }
    if (page == AddPage) {
        const BatchResult result =
            engine_.add(toUtf8(addText_->text()), addBeginning_->isChecked() ? TextSide::Beginning : TextSide::End);
        showResult(fromUtf8(changeSummary(result)));
        if (!result.rows.empty()) emit filesChanged(result.rows);
        reportWrites(result.writes);
        return;
    }
    if (replaceAll_->isChecked()) {
        const BatchResult result = engine_.replaceAll(toUtf8(replaceText_->text()));
        if (result.outcome == FindOutcome::NothingToFind) {
            showFindOutcome(result.outcome);
            return;
        }
        showResult(fromUtf8(changeSummary(result)));
        if (!result.rows.empty()) emit filesChanged(result.rows);
        if (selectMatches_->isChecked() && result.outcome == FindOutcome::Found) emit rowsMatched(result.rows);
        reportWrites(result.writes);
        return;
    }
    if (selectMatches_->isChecked()) {
        const BatchResult result = engine_.selectMatching();
        if (result.outcome == FindOutcome::NothingToFind) {
            showFindOutcome(result.outcome);
            return;
        }
        const auto count = static_cast<int>(result.rows.size());
        showResult(count == 1 ? tr("1 matching file.") : tr("%1 matching files.").arg(count));
        emit rowsMatched(result.rows);
        return;
    }
    showFindOutcome(engine_.findNext());
}

void FindDialog::runReplace() {
    engine_.setOptions(searchOptions());
    const std::optional<Match> replaced = engine_.currentMatch();
    const ReplaceResult result = engine_.replaceCurrent(toUtf8(replaceText_->text()));
    if (result.replaced && replaced) emit filesChanged({replaced->row});
    reportWrites(result.writes);
    showFindOutcome(result.next);
}

}  // namespace vorda::find
