#include "preview/find_form.h"

#include "platform/emf/emf_player.h"
#include "platform/message_box.h"
#include "platform/painter_canvas.h"
#include "platform/process_state.h"
#include "preview/paint_panel.h"
#include "preview/standard_preview.h"
#include "report/emf_pages.h"
#include "report/report.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

namespace vx {

using preview::FindHit;
using preview::FindOrigin;
using preview::FindRequest;
using preview::roundEven;

namespace {

constexpr int kClientWidth = 318;
constexpr int kClientHeight = 167;
constexpr int kFontPixels = 11;
// The blink count that ends a shown highlight with one tick.
constexpr int kEndBlink = 8;

} // namespace

namespace {
// The find dialog's part of the library state: what it remembers between
// runs, and how it runs (tests install their own).
struct FindState : DefaultResetPart<FindState> {
    FindSettings settings;
    FindDialogRunner runner;
};
} // namespace

FindSettings& findSettings() {
    return libraryState().part<FindState>().settings;
}

FindDialogRunner& findDialogRunner() {
    return libraryState().part<FindState>().runner;
}

QString findNotFoundMessage() {
    return QStringLiteral("Non è stato trovato nessun elemento che soddisfi la richiesta.");
}

// --- the dialog ---------------------------------------------------------

TFindForm::TFindForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindForm"));
    // A dialog border: fixed size, no resizing grip.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    // The controls are placed in a fixed client area: a small font keeps
    // every caption whole in it, whatever the desktop's font.
    QFont small = font();
    small.setPixelSize(kFontPixels);
    setFont(small);

    FindLabel = new QLabel(this);
    FindLabel->setObjectName(QStringLiteral("FindLabel"));
    FindLabel->setGeometry(8, 6, 302, 16);

    FindText = new QComboBox(this);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setEditable(true);
    FindText->setInsertPolicy(QComboBox::NoInsert);
    FindText->setGeometry(8, 24, 302, 24);
    FindLabel->setBuddy(FindText);

    FindOptions = new QGroupBox(this);
    FindOptions->setObjectName(QStringLiteral("FindOptions"));
    FindOptions->setGeometry(8, 54, 150, 80);
    FindCase = new QCheckBox(FindOptions);
    FindCase->setObjectName(QStringLiteral("FindCase"));
    FindCase->setGeometry(6, 22, 142, 20);
    FindSub = new QCheckBox(FindOptions);
    FindSub->setObjectName(QStringLiteral("FindSub"));
    FindSub->setGeometry(6, 48, 142, 20);

    FindOrigin = new QGroupBox(this);
    FindOrigin->setObjectName(QStringLiteral("FindOrigin"));
    FindOrigin->setGeometry(162, 54, 148, 80);
    FindFirstPage = new QRadioButton(FindOrigin);
    FindFirstPage->setObjectName(QStringLiteral("FindFirstPage"));
    FindFirstPage->setGeometry(8, 18, 136, 15);
    FindCurrentPage = new QRadioButton(FindOrigin);
    FindCurrentPage->setObjectName(QStringLiteral("FindCurrentPage"));
    FindCurrentPage->setGeometry(8, 33, 136, 15);
    FindNext = new QRadioButton(FindOrigin);
    FindNext->setObjectName(QStringLiteral("FindNext"));
    FindNext->setGeometry(8, 48, 136, 15);
    FindPrevious = new QRadioButton(FindOrigin);
    FindPrevious->setObjectName(QStringLiteral("FindPrevious"));
    FindPrevious->setGeometry(8, 63, 136, 15);

    OKBtn = new QPushButton(this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(154, 139, 75, 24);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(235, 139, 75, 24);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(FindText, &QComboBox::editTextChanged, this, [this] {
        if (!loading_)
            FindTextChange();
    });
    FormCreate();
}

TFindForm::~TFindForm() = default;

void TFindForm::FormCreate() {
    setWindowTitle(QStringLiteral("Trova testo."));
    FindLabel->setText(QStringLiteral("Testo da trovare"));
    FindOptions->setTitle(QStringLiteral("Opzioni"));
    FindCase->setText(QStringLiteral("Maiuscole/minuscole"));
    FindCase->setChecked(false);
    FindSub->setText(QStringLiteral("Parte di una parola"));
    FindSub->setChecked(true);
    FindOrigin->setTitle(QStringLiteral("Origine"));
    FindFirstPage->setText(QStringLiteral("Prima pagina"));
    FindFirstPage->setChecked(true);
    FindCurrentPage->setText(QStringLiteral("Pagina corrente"));
    FindNext->setText(QStringLiteral("Successivo"));
    FindNext->setEnabled(false);
    FindPrevious->setText(QStringLiteral("Precedente"));
    FindPrevious->setEnabled(false);
    OKBtn->setText(QStringLiteral("&OK"));
    CancelBtn->setText(QStringLiteral("&Annulla"));
}

void TFindForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFindForm::FormShow() {
    // Centred on the screen.
    if (const QScreen* screen = this->screen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - rect().center());
    }
    FindText->setFocus();
    if (FindText->lineEdit())
        FindText->lineEdit()->selectAll();
}

void TFindForm::FindTextChange() {
    const bool wasStepping = FindNext->isChecked() || FindPrevious->isChecked();
    FindNext->setEnabled(false);
    FindPrevious->setEnabled(false);
    if (wasStepping)
        FindFirstPage->setChecked(true);
}

void TFindForm::loadSettings(const FindSettings& s) {
    loading_ = true;
    FindCase->setChecked(s.CaseSensitive);
    FindSub->setChecked(s.PartOfWord);
    QRadioButton* const origins[] = {FindFirstPage, FindCurrentPage, FindNext, FindPrevious};
    origins[(s.Origin >= 0 && s.Origin <= 3) ? s.Origin : 0]->setChecked(true);
    FindNext->setEnabled(s.NextEnabled);
    FindPrevious->setEnabled(s.PreviousEnabled);
    FindText->clear();
    FindText->addItems(s.History);
    FindText->setCurrentIndex(-1);
    FindText->setEditText(s.Text);
    loading_ = false;
}

int TFindForm::originNumber() const {
    if (FindFirstPage->isChecked())
        return 0;
    if (FindCurrentPage->isChecked())
        return 1;
    if (FindNext->isChecked())
        return 2;
    return 3;
}

FindSettings TFindForm::settings() const {
    FindSettings s;
    s.CaseSensitive = FindCase->isChecked();
    s.PartOfWord = FindSub->isChecked();
    s.Origin = originNumber();
    s.NextEnabled = FindNext->isEnabled();
    s.PreviousEnabled = FindPrevious->isEnabled();
    s.Text = FindText->currentText();
    for (int i = 0; i < FindText->count(); ++i)
        s.History << FindText->itemText(i);
    return s;
}

// --- the search in the preview -----------------------------------------

namespace {

// Width of the pen selected when the page's record `recordNumber` is
// reached: the page is played in search mode (nothing is drawn) up to it.
int penWidthAtRecord(TStandardPreview& preview, int pageIndex, int64_t recordNumber) {
    int width = 1;
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    const bool searching = preview.Search.Searching;
    const preview::SearchRecordHandler saved = preview.Search.SearchRecord;
    preview.Search.Searching = true;
    preview.Search.SearchRecord = [&](emf::EmfPlayer& player, const emf::EmfRecord&, int number) {
        if (number != recordNumber)
            return false;
        width = player.state().dc.pen.width;
        return true;
    };
    preview.DrawPage(canvas, pageIndex, EdgeRect{0, 0, 10, 10});
    preview.Search.SearchRecord = saved;
    preview.Search.Searching = searching;
    return width;
}

} // namespace

bool SearchPreview(TStandardPreview& preview) {
    preview.Search.Found = false;
    preview.Search.HitCount = 0;
    TvxReport* report = preview.report();
    if (!report || !report->PreparedPages)
        return false;
    FindRequest request;
    request.text = preview.Search.SearchText;
    request.caseSensitive = preview.Search.CaseSensitive;
    request.partOfWord = preview.Search.PartOfWord;
    request.currentPage = preview.currentPage();
    request.lastHit = preview.Search.LastHit;
    if (preview.Search.SearchNext)
        request.origin = FindOrigin::Next;
    else if (preview.Search.SearchPrevious)
        request.origin = FindOrigin::Previous;
    else if (preview.Search.FromCurrentPage)
        request.origin = FindOrigin::CurrentPage;
    else
        request.origin = FindOrigin::FirstPage;
    const std::optional<FindHit> hit = preview::findText(*report->PreparedPages, request);
    if (!hit)
        return false;
    // The hit rectangle: the record's bounds enlarged by 4 + half the pen
    // width, scaled to the page at the current zoom (panel pixels from the
    // page's top-left corner).
    const int64_t e = 4 + penWidthAtRecord(preview, hit->page, hit->recordNumber) / 2;
    const preview::PageScale scale = preview.pageScale(hit->page);
    const auto px = [](int64_t v, double s) { return roundEven(double(v) * s); };
    preview.Search.HitRect = EdgeRect{px(int64_t(hit->bounds.left) - e, scale.sx),
                                      px(int64_t(hit->bounds.top) - e, scale.sy),
                                      px(int64_t(hit->bounds.right) + e, scale.sx),
                                      px(int64_t(hit->bounds.bottom) + e, scale.sy)};
    preview.Search.HitCount = hit->hitNumber;
    preview.Search.LastHit = hit->hitNumber;
    preview.Search.HitPage = hit->page;
    preview.Search.RecordNumber = int(hit->recordNumber);
    preview.Search.Found = true;
    preview.Search.BlinkCount = 0;
    preview.blinkTimer()->start();
    return true;
}

void ShowSearchHit(TStandardPreview& preview) {
    if (preview.Search.HitPage + 1 != preview.currentPage())
        preview.ShowPage(preview.Search.HitPage + 1);
    const EdgeRect& r = preview.Search.HitRect;
    QScrollBar* h = preview.horizontalBar();
    QScrollBar* v = preview.verticalBar();
    const int panelWidth = preview.paintPanel()->width();
    const int panelHeight = preview.paintPanel()->height();
    preview::Point o = preview.PageOrigin(preview.Search.HitPage);
    h->setValue(h->value() + o.x + r.Left - (panelWidth + r.Left - r.Right) / 2);
    o = preview.PageOrigin(preview.Search.HitPage);
    v->setValue(v->value() + o.y + r.Top - (panelHeight + r.Top - r.Bottom) / 2);
    preview.TimerTimer();
}

void FindInReport(TStandardPreview& preview) {
    FindSettings& remembered = findSettings();
    TFindForm form(&preview);
    form.loadSettings(remembered);
    const FindSettings shown = form.settings();
    const FindDialogRunner& runner = findDialogRunner();
    const int answer = runner ? runner(form) : form.exec();
    if (answer == QDialog::Accepted) {
        if (preview.Search.Found) {
            preview.Search.BlinkCount = kEndBlink;
            preview.TimerTimer();
        }
        QApplication::processEvents();
        preview.Search.Searching = true;
        preview.Search.Found = false;
        preview.Search.SearchText = form.FindText->currentText();
        preview.Search.CaseSensitive = form.FindCase->isChecked();
        preview.Search.PartOfWord = form.FindSub->isChecked();
        preview.Search.SearchNext = form.FindNext->isChecked();
        preview.Search.SearchPrevious = form.FindPrevious->isChecked();
        preview.Search.FromCurrentPage = form.FindCurrentPage->isChecked();
        preview.Search.HitCount = 0;
        const bool found = SearchPreview(preview);
        preview.Search.Searching = false;
        if (found) {
            form.FindNext->setEnabled(true);
            form.FindPrevious->setEnabled(form.FindNext->isChecked() ||
                                          form.FindPrevious->isChecked());
            const QString text = form.FindText->currentText();
            if (form.FindText->findText(text, Qt::MatchFixedString) < 0) {
                const QSignalBlocker block(form.FindText);
                form.FindText->addItem(text);
                form.FindText->setEditText(text);
            }
            ShowSearchHit(preview);
        } else {
            showMessage(QStringLiteral("Messaggio."), findNotFoundMessage(), MessageIcon::Warning);
        }
    } else {
        form.loadSettings(shown);
    }
    remembered = form.settings();
}

void installFindInReport() {
    previewHooks().FindInReport = [](TStandardPreview& preview) { FindInReport(preview); };
}

} // namespace vx
