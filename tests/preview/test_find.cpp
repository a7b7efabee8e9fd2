// Text search over prepared pages: matching rules, origins, hit numbering,
// record decoding, and the find dialog driving the preview.
#include "preview/find_form.h"
#include "preview/text_search.h"

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_text.h"
#include "platform/locale_settings.h"
#include "platform/message_box.h"
#include "preview/page_playback.h"
#include "preview/paint_panel.h"
#include "preview/standard_preview.h"
#include "preview_fixtures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>

namespace vx {
namespace {

using preview::FindHit;
using preview::FindOrigin;
using preview::FindRequest;
using preview::TextMatcher;

TEST(TextMatcher, CaseAndWholeWordRules) {
    struct Row {
        const char16_t* record;
        const char16_t* text;
        bool caseSensitive;
        bool partOfWord;
        bool expected;
    };
    const Row rows[] = {
        // Whole words: the 12 separators count, the comma and hyphen do not.
        {u"Totale: 125,00", u"Totale", false, false, true},
        {u"(Totale)", u"Totale", false, false, true},
        {u"Totale, 12", u"Totale", false, false, false},
        {u"Totale-parziale", u"Totale", false, false, false},
        {u"Subtotale", u"Totale", false, false, false},
        {u"Subtotale", u"Totale", false, true, true},
        {u"Totale", u"Totale", false, false, true},
        {u"Il [Totale]?", u"Totale", false, false, true},
        {u"x'Totale\"", u"Totale", false, false, true},
        // Only the first occurrence is tested for a whole word.
        {u"abcd abc", u"abc", false, false, false},
        {u"abc abcd", u"abc", false, false, true},
        // Case: only a-z fold; accented letters compare as they are.
        {u"TOTALE GENERALE", u"totale", false, true, true},
        {u"TOTALE GENERALE", u"totale", true, true, false},
        {u"Totale", u"Totale", true, true, true},
        {u"CITTÀ", u"città", false, true, false},
        {u"città", u"città", false, true, true},
        // Characters below the blank are removed from the record's text.
        {u"Tot\tale\r\n", u"Totale", false, false, true},
        // An empty text never matches; a longer text than the record neither.
        {u"Totale", u"", false, true, false},
        {u"Tot", u"Totale", false, true, false},
    };
    for (const Row& row : rows) {
        const TextMatcher m(QString::fromUtf16(row.text), row.caseSensitive, row.partOfWord);
        EXPECT_EQ(m.matches(QStringView(row.record)), row.expected)
            << QString::fromUtf16(row.record).toStdString() << " / "
            << QString::fromUtf16(row.text).toStdString() << " case " << row.caseSensitive
            << " part " << row.partOfWord;
    }
    const char16_t separators[] = u" !\"'().:;?[]";
    for (char16_t c = 1; c < 256; ++c)
        EXPECT_EQ(preview::isWordSeparator(c),
                  std::u16string_view(separators).find(c) != std::u16string_view::npos)
            << int(c);
}

// A hand-made EMR_EXTTEXTOUTA/W record holding `chars` at `offString`.
QByteArray textRecord(uint32_t type, const QByteArray& chars, uint32_t nChars,
                      uint32_t offString = 76) {
    QByteArray rec(76, '\0');
    rec.append(chars);
    while (rec.size() % 4)
        rec.append('\0');
    const auto put = [&](int at, uint32_t v) { std::memcpy(rec.data() + at, &v, 4); };
    put(0, type);
    put(4, uint32_t(rec.size()));
    put(44, nChars);
    put(48, offString);
    return rec;
}

emf::EmfRecord recordOf(const QByteArray& bytes) {
    emf::EmfRecord r;
    std::memcpy(&r.type, bytes.constData(), 4);
    std::memcpy(&r.size, bytes.constData() + 4, 4);
    r.data = bytes.constData();
    return r;
}

TEST(TextSearchRecord, DecodesBothKindsAndRefusesStringsOutsideTheRecord) {
    std::u16string out;
    // 8-bit text is Windows-1252: 0x80 is the euro sign; 0xE0 is à (not folded).
    const QByteArray a = textRecord(emf::EMR_EXTTEXTOUTA, QByteArray("\x80 tot\x01\xE0", 7), 7);
    ASSERT_TRUE(preview::searchTextOfRecord(recordOf(a), false, out));
    EXPECT_EQ(out, std::u16string(u"\u20AC TOT\u00E0"));
    const QByteArray w = textRecord(emf::EMR_EXTTEXTOUTW, QByteArray("a\0b\0\n\0c\0", 8), 4);
    ASSERT_TRUE(preview::searchTextOfRecord(recordOf(w), true, out));
    EXPECT_EQ(out, std::u16string(u"abc"));

    // Hostile counts and offsets: the string must lie inside the record.
    const QByteArray longCount = textRecord(emf::EMR_EXTTEXTOUTW, QByteArray(8, 'x'), 0x7FFFFFFF);
    EXPECT_FALSE(preview::searchTextOfRecord(recordOf(longCount), false, out));
    const QByteArray farOffset =
        textRecord(emf::EMR_EXTTEXTOUTA, QByteArray(4, 'x'), 4, 0xFFFFFFFE);
    EXPECT_FALSE(preview::searchTextOfRecord(recordOf(farOffset), false, out));
    QByteArray shortRec = a.left(40);
    emf::EmfRecord cut = recordOf(a);
    cut.data = shortRec.constData();
    cut.size = 40;
    EXPECT_FALSE(preview::searchTextOfRecord(cut, false, out));
    // Other records are not text.
    const QByteArray other = textRecord(emf::EMR_POLYTEXTOUTW, QByteArray("a\0", 2), 1);
    EXPECT_FALSE(preview::searchTextOfRecord(recordOf(other), false, out));
}

// Three pages; the word "Totale" is drawn whole on pages 1, 2 and 3 (twice
// on page 3), "Grandezza" only in two pieces on page 2.
void addTextPage(TvxEMFPages& pages, const QStringList& texts) {
    test::addPage(pages, 2100, 2970, [texts](Canvas& c) {
        c.setFont(FontSpec{});
        int y = 50;
        for (const QString& t : texts) {
            c.textOut(60, y, t);
            y += 40;
        }
    });
}

std::unique_ptr<TvxReport> threePageReport() {
    auto report = std::make_unique<TvxReport>();
    TvxEMFPages& p = *report->PreparedPages;
    addTextPage(p, {QStringLiteral("Intestazione"), QStringLiteral("Totale: 10")});
    addTextPage(
        p, {QStringLiteral("Grande"), QStringLiteral("zza"), QStringLiteral("(Totale parziale)")});
    addTextPage(p, {QStringLiteral("Subtotale"), QStringLiteral("TOTALE finale")});
    return report;
}

QString recordText(const TvxEMFPages& pages, const FindHit& hit) {
    const auto item =
        emf::textOfRecord(pages.Pages(hit.page).Picture.record(hit.recordIndex), hit.recordIndex);
    return item ? item->text : QString();
}

TEST(TextSearch, HitsAreNumberedInDocumentOrderWithPlaybackRecordNumbers) {
    const auto report = threePageReport();
    const TvxEMFPages& pages = *report->PreparedPages;
    const auto hits = preview::findAll(pages, QStringLiteral("totale"), false, true);
    ASSERT_EQ(hits.size(), 4u);
    const int expectedPages[] = {0, 1, 2, 2};
    const char* expectedTexts[] = {"Totale: 10", "(Totale parziale)", "Subtotale", "TOTALE finale"};
    for (size_t i = 0; i < hits.size(); ++i) {
        EXPECT_EQ(hits[i].hitNumber, int(i) + 1);
        EXPECT_EQ(hits[i].page, expectedPages[i]);
        EXPECT_EQ(hits[i].recordNumber,
                  int64_t(hits[i].page) * preview::kRecordsPerPage + hits[i].recordIndex);
        EXPECT_EQ(recordText(pages, hits[i]), QString::fromUtf8(expectedTexts[i]));
        EXPECT_LE(hits[i].bounds.left, hits[i].bounds.right);
    }
    // Whole words and case: only the second and... none in capitals.
    EXPECT_EQ(preview::findAll(pages, QStringLiteral("Totale"), true, false).size(), 2u);
    // From page 3 on the numbers still count the earlier pages' matches.
    const auto late = preview::findAll(pages, QStringLiteral("totale"), false, true, 2);
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].hitNumber, 3);
}

TEST(TextSearch, OriginsAcceptTheRightMatch) {
    const auto report = threePageReport();
    const TvxEMFPages& pages = *report->PreparedPages;
    struct Row {
        FindOrigin origin;
        int currentPage;
        int lastHit;
        int expectedHit; // 0: nothing accepted
        int expectedPage;
    };
    const Row rows[] = {
        {FindOrigin::FirstPage, 3, 4, 1, 0},   // always the report's first match
        {FindOrigin::CurrentPage, 1, 0, 1, 0}, // a hit on the current page
        {FindOrigin::CurrentPage, 2, 0, 2, 1},
        {FindOrigin::CurrentPage, 3, 0, 3, 2}, // never one before the current page
        {FindOrigin::Next, 1, 1, 2, 1},        // next across pages
        {FindOrigin::Next, 1, 3, 4, 2},
        {FindOrigin::Next, 1, 4, 0, -1},    // after the last hit: nothing
        {FindOrigin::Previous, 1, 3, 2, 1}, // backwards across pages
        {FindOrigin::Previous, 1, 2, 1, 0},
        {FindOrigin::Previous, 1, 1, 0, -1}, // before the first hit: nothing
        {FindOrigin::Previous, 1, 0, 0, -1},
    };
    for (const Row& row : rows) {
        FindRequest req;
        req.text = QStringLiteral("totale");
        req.origin = row.origin;
        req.currentPage = row.currentPage;
        req.lastHit = row.lastHit;
        const auto hit = preview::findText(pages, req);
        SCOPED_TRACE(testing::Message()
                     << int(row.origin) << " page " << row.currentPage << " last " << row.lastHit);
        if (row.expectedHit == 0) {
            EXPECT_FALSE(hit.has_value());
            continue;
        }
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(hit->hitNumber, row.expectedHit);
        EXPECT_EQ(hit->page, row.expectedPage);
    }
}

TEST(TextSearch, NothingFoundForAbsentSplitOrEmptyTexts) {
    const auto report = threePageReport();
    const TvxEMFPages& pages = *report->PreparedPages;
    for (const QString& text : {QStringLiteral("Grandezza"), QStringLiteral("assente"), QString(),
                                QStringLiteral("Intestazione Totale")}) {
        FindRequest req;
        req.text = text;
        EXPECT_FALSE(preview::findText(pages, req).has_value()) << text.toStdString();
    }
    FindRequest piece;
    piece.text = QStringLiteral("Grande");
    EXPECT_TRUE(preview::findText(pages, piece).has_value());
    EXPECT_FALSE(preview::findText(TvxEMFPages(), piece).has_value());
}

// --- the dialog and the preview ------------------------------------------

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

struct FindInPreview : testing::Test {
    // Whatever a test installs or remembers is undone when it ends.
    const ScopedOverride<FindDialogRunner> runner_{findDialogRunner(), findDialogRunner()};
    const ScopedOverride<FindSettings> settings_{findSettings(), FindSettings{}};
    std::unique_ptr<TvxReport> report = threePageReport();
    QPointer<TStandardPreview> window;

    void SetUp() override {
        setLocaleSettings(LocaleSettings::italian());
        window = new TStandardPreview();
        window->setReport(report.get());
        window->resize(900, 700);
        window->show();
        settle();
    }
    void TearDown() override {
        if (window) {
            window->close();
            settle();
        }
        delete window.data();
        resetLocaleSettings();
    }

    // Runs the find operation answering the dialog with `fill`.
    void find(const std::function<void(TFindForm&)>& fill, bool ok = true) {
        findDialogRunner() = [fill, ok](TFindForm& form) {
            fill(form);
            return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        FindInReport(*window);
        settle();
    }
};

TEST_F(FindInPreview, DialogCarriesItsTextsAndDefaults) {
    TFindForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Trova testo."));
    EXPECT_EQ(form.size(), QSize(318, 167));
    EXPECT_EQ(form.FindText->width(), 302);
    EXPECT_EQ(form.FindCase->text(), QStringLiteral("Maiuscole/minuscole"));
    EXPECT_FALSE(form.FindCase->isChecked());
    EXPECT_EQ(form.FindSub->text(), QStringLiteral("Parte di una parola"));
    EXPECT_TRUE(form.FindSub->isChecked());
    EXPECT_TRUE(form.FindFirstPage->isChecked());
    EXPECT_FALSE(form.FindNext->isEnabled());
    EXPECT_FALSE(form.FindPrevious->isEnabled());
    EXPECT_EQ(form.FindPrevious->text(), QStringLiteral("Precedente"));
    EXPECT_EQ(form.CancelBtn->text(), QStringLiteral("&Annulla"));

    // Editing the text disables the stepping origins and falls back to the
    // first page when one of them was chosen.
    FindSettings s;
    s.Origin = 2;
    s.NextEnabled = s.PreviousEnabled = true;
    s.Text = QStringLiteral("Totale");
    form.loadSettings(s);
    EXPECT_TRUE(form.FindNext->isChecked());
    EXPECT_TRUE(form.FindNext->isEnabled()); // loading is no edit
    form.FindText->setEditText(QStringLiteral("Totali"));
    EXPECT_FALSE(form.FindNext->isEnabled());
    EXPECT_FALSE(form.FindPrevious->isEnabled());
    EXPECT_TRUE(form.FindFirstPage->isChecked());
}

TEST_F(FindInPreview, DialogCaptionsFitTheirControls) {
    TFindForm form;
    form.show();
    settle();
    // Every caption is whole: as wide as the control needs, its text as
    // high as a line, and inside the dialog.
    const QWidget* controls[] = {form.FindLabel,     form.FindCase,        form.FindSub,
                                 form.FindFirstPage, form.FindCurrentPage, form.FindNext,
                                 form.FindPrevious};
    for (const QWidget* w : controls) {
        const std::string name = w->objectName().toStdString();
        EXPECT_LE(w->sizeHint().width(), w->width()) << name;
        EXPECT_LE(w->fontMetrics().height(), w->height()) << name;
        EXPECT_TRUE(form.rect().contains(QRect(w->mapTo(&form, QPoint(0, 0)), w->size()))) << name;
    }
    for (const QPushButton* b : {form.OKBtn, form.CancelBtn}) {
        EXPECT_LT(b->fontMetrics().horizontalAdvance(b->text()), b->width());
        EXPECT_TRUE(form.rect().contains(b->geometry()));
    }
}

TEST_F(FindInPreview, HitIsShownBlinkingThenNextAndPreviousStep) {
    find([](TFindForm& f) { f.FindText->setEditText(QStringLiteral("totale")); });
    TStandardPreview& w = *window;
    EXPECT_TRUE(w.Search.Found);
    EXPECT_EQ(w.Search.HitPage, 0);
    EXPECT_EQ(w.Search.LastHit, 1);
    EXPECT_EQ(w.Search.BlinkCount, 1);
    EXPECT_TRUE(w.blinkTimer()->isActive());
    EXPECT_FALSE(w.Search.Searching);
    const auto first =
        preview::findAll(*report->PreparedPages, QStringLiteral("totale"), false, true);
    EXPECT_EQ(w.Search.RecordNumber, int(first[0].recordNumber));
    EXPECT_LT(w.Search.HitRect.Left, w.Search.HitRect.Right);
    // Remembered: "Successivo" now available, the text in the history.
    EXPECT_TRUE(findSettings().NextEnabled);
    EXPECT_FALSE(findSettings().PreviousEnabled);
    EXPECT_EQ(findSettings().History, QStringList{QStringLiteral("totale")});

    find([](TFindForm& f) {
        EXPECT_TRUE(f.FindNext->isEnabled());
        f.FindNext->setChecked(true);
    });
    EXPECT_EQ(w.Search.LastHit, 2);
    EXPECT_EQ(w.Search.HitPage, 1);
    // Centred vertically in the panel (the scroll range allows it here).
    const preview::Point o = w.PageOrigin(w.Search.HitPage);
    EXPECT_NEAR(o.y + (w.Search.HitRect.Top + w.Search.HitRect.Bottom) / 2,
                w.paintPanel()->height() / 2, 2);
    EXPECT_TRUE(findSettings().PreviousEnabled);

    find([](TFindForm& f) { f.FindPrevious->setChecked(true); });
    EXPECT_EQ(w.Search.LastHit, 1);
    EXPECT_EQ(w.Search.HitPage, 0);
    // The history holds the text once, whatever its case.
    find([](TFindForm& f) { f.FindText->setEditText(QStringLiteral("TOTALE")); });
    EXPECT_EQ(findSettings().History.size(), 1);
}

TEST_F(FindInPreview, NothingFoundShowsTheMessageAndKeepsTheLastHit) {
    MessageBoxInterceptor boxes;
    find([](TFindForm& f) { f.FindText->setEditText(QStringLiteral("totale")); });
    EXPECT_TRUE(boxes.messages().empty());
    // "Precedente" from the first hit finds nothing.
    find([](TFindForm& f) {
        f.FindPrevious->setEnabled(true);
        f.FindPrevious->setChecked(true);
    });
    EXPECT_EQ(boxes.messages().size(), 1u);
    find([](TFindForm& f) { f.FindText->setEditText(QStringLiteral("assente")); });
    ASSERT_EQ(boxes.messages().size(), 2u);
    for (const RecordedMessage& m : boxes.messages()) {
        EXPECT_EQ(m.caption, QStringLiteral("Messaggio."));
        EXPECT_EQ(m.text,
                  QStringLiteral("Non è stato trovato nessun elemento che soddisfi la richiesta."));
        EXPECT_EQ(m.icon, MessageIcon::Warning);
    }
    EXPECT_FALSE(window->Search.Found);
    EXPECT_EQ(window->Search.LastHit, 1);
    EXPECT_FALSE(findSettings().History.contains(QStringLiteral("assente")));
}

TEST_F(FindInPreview, CancelLeavesTheRememberedStateAsItWas) {
    find([](TFindForm& f) { f.FindText->setEditText(QStringLiteral("totale")); });
    const FindSettings before = findSettings();
    MessageBoxInterceptor boxes;
    find(
        [](TFindForm& f) {
            f.FindText->setEditText(QStringLiteral("altro"));
            f.FindCase->setChecked(true);
        },
        false);
    EXPECT_TRUE(boxes.messages().empty());
    EXPECT_EQ(findSettings().Text, before.Text);
    EXPECT_EQ(findSettings().CaseSensitive, before.CaseSensitive);
    EXPECT_EQ(findSettings().NextEnabled, before.NextEnabled);
    EXPECT_EQ(findSettings().Origin, before.Origin);
}

} // namespace
} // namespace vx
