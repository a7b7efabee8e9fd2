#pragma once

// TFindForm: the "Trova testo." dialog of the preview, and FindInReport,
// which runs it and the search, then brings the hit into view (centred in
// the panel) and lets it blink.
//
// The dialog's settings, the last text and the list of earlier texts are
// remembered for the whole program run and shared by every preview window.

#include "preview/text_search.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vx {

class TStandardPreview;

// What the dialog remembers between runs.
struct FindSettings {
    bool CaseSensitive = false;
    bool PartOfWord = true;
    int Origin = 0; // 0 first page, 1 current page, 2 next, 3 previous
    bool NextEnabled = false;
    bool PreviousEnabled = false;
    QString Text;
    QStringList History;
};
// The process-wide remembered state.
FindSettings& findSettings();

class TFindForm : public QDialog {
    Q_OBJECT
public:
    explicit TFindForm(QWidget* parent = nullptr);
    ~TFindForm() override;

    // Shows `settings` in the controls / reads the controls back.
    void loadSettings(const FindSettings& settings);
    FindSettings settings() const;
    // 0 first page, 1 current page, 2 next, 3 previous (the checked one).
    int originNumber() const;

    // The text changed: "Successivo" and "Precedente" are disabled; when
    // one of them was checked "Prima pagina" becomes checked.
    void FindTextChange();

    QLabel* FindLabel = nullptr;
    QComboBox* FindText = nullptr;
    QGroupBox* FindOptions = nullptr;
    QCheckBox* FindCase = nullptr;
    QCheckBox* FindSub = nullptr;
    QGroupBox* FindOrigin = nullptr;
    QRadioButton* FindFirstPage = nullptr;
    QRadioButton* FindCurrentPage = nullptr;
    QRadioButton* FindNext = nullptr;
    QRadioButton* FindPrevious = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool loading_ = false;
};

// How FindInReport shows the dialog: exec() by default; tests install a
// function that fills the controls and answers Accepted or Rejected.
using FindDialogRunner = std::function<int(TFindForm& form)>;
FindDialogRunner& findDialogRunner();

// The message shown when the search accepts no match.
QString findNotFoundMessage();

// The preview's find operation (button "&Trova", F3, pop-up menu): the
// dialog, then the search with its options; on a hit the view moves to it
// and it blinks, otherwise the not-found message is shown.
void FindInReport(TStandardPreview& preview);

// The search with the options already set on the preview's search fields
// (SearchText, CaseSensitive, PartOfWord, SearchNext, SearchPrevious,
// FromCurrentPage, LastHit): fills the hit fields and returns whether an
// acceptable match was found. The view is not moved.
bool SearchPreview(TStandardPreview& preview);

// Centres the hit in the panel as far as the scroll ranges allow (showing
// its page first) and runs the first blink tick.
void ShowSearchHit(TStandardPreview& preview);

// Installs FindInReport as the preview's find operation. Idempotent.
void installFindInReport();

} // namespace vx
