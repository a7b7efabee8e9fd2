#include "app/sample_report.h"

#include "platform/canvas.h"
#include "platform/emf/recording_canvas.h"
#include "report/emf_pages.h"

#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace vx {

namespace {

// A4 portrait on the pseudo printer: 793 x 1122 screen pixels, 18-pixel
// unprintable offsets.
PreparedPageSetup a4Setup() {
    PreparedPageSetup s;
    s.PaperSize = 9;
    s.PaperWidth = 2100;
    s.PaperHeight = 2970;
    s.Orientation = 0;
    s.UseMargins = true;
    s.PageMetrics.ScreenWidth = 793;
    s.PageMetrics.ScreenHeight = 1122;
    s.PageMetrics.ScreenOffsetX = 18;
    s.PageMetrics.ScreenOffsetY = 18;
    s.PageMetrics.ScreenPrintWidth = 757;
    s.PageMetrics.ScreenPrintHeight = 1086;
    return s;
}

// Amounts in cents, shown the Italian way: "1.234,56".
QString euros(qint64 cents) {
    const bool negative = cents < 0;
    if (negative)
        cents = -cents;
    QString whole = QString::number(cents / 100);
    for (int i = int(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char('.'));
    return (negative ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',') +
           QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
}

FontSpec font(int height, int weight = 400, bool italic = false,
              const QString& face = QStringLiteral("Arial")) {
    FontSpec f;
    f.face = face;
    f.height = height;
    f.weight = weight;
    f.italic = italic;
    return f;
}

struct Item {
    QString code;
    QString description;
    int quantity;
    qint64 priceCents;
};

std::vector<Item> invoiceItems() {
    static const char16_t* const names[] = {
        u"Carta per stampanti A4, risma da 500 fogli",
        u"Cartucce d’inchiostro nero",
        u"Raccoglitori ad anelli, dorso 8 cm",
        u"Penne a sfera blu, confezione da 50",
        u"Evidenziatori assortiti",
        u"Buste commerciali con finestra",
        u"Cucitrice da tavolo",
        u"Punti metallici 24/6",
        u"Cartelline in cartoncino",
        u"Etichette adesive 70 x 37 mm",
        u"Nastro adesivo trasparente",
        u"Blocchi note a quadretti",
        u"Calcolatrice da tavolo",
        u"Archivio per documenti, modello “Città”",
        u"Portapenne in metallo",
        u"Forbici da ufficio",
        u"Colla stick",
        u"Correttore a nastro",
        u"Post-it 76 x 76 mm",
        u"Timbro datario",
    };
    std::vector<Item> items;
    qint64 total = 0;
    int n = 0;
    for (int round = 0; round < 2; ++round) {
        for (const char16_t* name : names) {
            ++n;
            const int quantity = 1 + (n * 7) % 5;
            const qint64 price = 95 + (n * 137) % 900;
            items.push_back({QStringLiteral("ART-%1").arg(n, 3, 10, QLatin1Char('0')),
                             QString::fromUtf16(name), quantity, price});
            total += quantity * price;
        }
    }
    // The last line brings the taxable amount to 1.122,33, so that with 10 %
    // VAT (112,23) the total is 1.234,56.
    items.push_back({QStringLiteral("ART-999"), QStringLiteral("Servizio di consegna a domicilio"),
                     1, 112233 - total});
    return items;
}

void drawFrame(Canvas& c, const QRect& r, Color fill) {
    c.setPen(PenSpec{PenStyle::Solid, 1, rgb(90, 90, 90)});
    c.setBrush(fill == kNoColor ? BrushSpec{BrushStyle::Null, kWhite, 0}
                                : BrushSpec{BrushStyle::Solid, fill, 0});
    c.rectangle(r);
}

void text(Canvas& c, int x, int y, const QString& s, uint32_t align = TextAlign::Left) {
    c.setTextAlign(align | TextAlign::Top);
    c.textOut(x, y, s);
}

// Text clipped to a table cell.
void cellText(Canvas& c, const QRect& cell, const QString& s, uint32_t align) {
    c.setTextAlign(align | TextAlign::Top);
    const int x = align == TextAlign::Right ? cell.right() - 3 : cell.left() + 4;
    c.textOut(x, cell.top() + 3, s, TextOutOption::Clipped, cell);
}

void drawCompanyHeader(Canvas& c) {
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.drawImage(rectFromEdges(40, 36, 104, 100), sampleLogo());
    c.setTextColor(rgb(0, 60, 120));
    c.setFont(font(-24, 700));
    text(c, 120, 38, QStringLiteral("Società Esempio S.r.l."));
    c.setTextColor(kBlack);
    c.setFont(font(-12));
    text(c, 120, 70, QStringLiteral("Via Roma 1 – 20121 Milano (MI)"));
    text(c, 120, 85, QStringLiteral("P. IVA 01234567890 – info@societaesempio.it"));
    c.setPen(PenSpec{PenStyle::Solid, 2, rgb(0, 60, 120)});
    c.moveTo(40, 110);
    c.lineTo(753, 110);
}

// A note turned by 90 degrees along the left edge, and the page footer.
void drawSideNoteAndFooter(Canvas& c, int page, int pages) {
    FontSpec turned = font(-10, 400, true);
    turned.escapement = 900;
    turned.orientation = 900;
    c.setFont(turned);
    c.setTextColor(rgb(120, 120, 120));
    c.setTextAlign(TextAlign::Left | TextAlign::Baseline);
    c.textOut(24, 1000, QStringLiteral("Documento generato da DIZEridiv – copia di cortesia"));
    c.setTextColor(kBlack);
    c.setFont(font(-11));
    c.setPen(PenSpec{PenStyle::Solid, 1, rgb(160, 160, 160)});
    c.moveTo(40, 1070);
    c.lineTo(753, 1070);
    text(c, 753, 1076, QStringLiteral("Pagina %1 di %2").arg(page).arg(pages), TextAlign::Right);
    text(c, 40, 1076, QStringLiteral("Società Esempio S.r.l. – Fattura n. 2026/0142"));
}

struct Column {
    QString title;
    int left, right;
    uint32_t align;
};

const std::vector<Column>& invoiceColumns() {
    static const std::vector<Column> columns = {
        {QStringLiteral("Codice"), 40, 110, TextAlign::Left},
        {QStringLiteral("Descrizione"), 110, 480, TextAlign::Left},
        {QStringLiteral("Q.tà"), 480, 540, TextAlign::Right},
        {QStringLiteral("Prezzo €"), 540, 640, TextAlign::Right},
        {QStringLiteral("Importo €"), 640, 753, TextAlign::Right},
    };
    return columns;
}

constexpr int kRowHeight = 20;

int drawTableHeader(Canvas& c, int top) {
    c.setFont(font(-12, 700));
    c.setBackgroundMode(BackgroundMode::Transparent);
    for (const Column& col : invoiceColumns()) {
        const QRect cell = rectFromEdges(col.left, top, col.right, top + kRowHeight + 2);
        drawFrame(c, cell, rgb(210, 222, 235));
        cellText(c, cell, col.title, col.align);
    }
    return top + kRowHeight + 2;
}

int drawItemRow(Canvas& c, int top, const Item& item, bool shaded) {
    c.setFont(font(-12));
    const QString values[] = {item.code, item.description, QString::number(item.quantity),
                              euros(item.priceCents), euros(item.quantity * item.priceCents)};
    int i = 0;
    for (const Column& col : invoiceColumns()) {
        const QRect cell = rectFromEdges(col.left, top, col.right, top + kRowHeight);
        if (shaded)
            c.fillRect(cell, BrushSpec{BrushStyle::Solid, rgb(245, 245, 245), 0});
        cellText(c, cell, values[i++], col.align);
    }
    c.setPen(PenSpec{PenStyle::Solid, 1, rgb(200, 200, 200)});
    c.moveTo(40, top + kRowHeight - 1);
    c.lineTo(753, top + kRowHeight - 1);
    return top + kRowHeight;
}

void drawInvoicePage1(Canvas& c, const std::vector<Item>& items, size_t& next) {
    drawCompanyHeader(c);
    c.setFont(font(-20, 700));
    text(c, 40, 130, QStringLiteral("FATTURA N. 2026/0142"));
    c.setFont(font(-12));
    text(c, 40, 160, QStringLiteral("Data: 09/12/2026"));
    text(c, 40, 176, QStringLiteral("Pagamento: bonifico bancario a 30 giorni"));
    const QRect customer = rectFromEdges(430, 126, 753, 210);
    c.setPen(PenSpec{PenStyle::Solid, 1, rgb(90, 90, 90)});
    c.setBrush(BrushSpec{BrushStyle::Solid, rgb(250, 248, 240), 0});
    c.roundRect(customer, 12, 12);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setFont(font(-12, 700));
    text(c, 442, 134, QStringLiteral("Spett.le"));
    text(c, 442, 152, QStringLiteral("Città Nuova S.p.A."));
    c.setFont(font(-12));
    text(c, 442, 170, QStringLiteral("Corso Italia 25"));
    text(c, 442, 186, QStringLiteral("06012 Città di Castello (PG)"));

    int y = drawTableHeader(c, 230);
    bool shaded = false;
    while (next < items.size() && y + kRowHeight <= 1050) {
        y = drawItemRow(c, y, items[next++], shaded);
        shaded = !shaded;
    }
    drawSideNoteAndFooter(c, 1, 3);
}

void drawInvoicePage2(Canvas& c, const std::vector<Item>& items, size_t& next) {
    drawCompanyHeader(c);
    c.setFont(font(-14, 700));
    text(c, 40, 124, QStringLiteral("Fattura n. 2026/0142 (segue)"));
    int y = drawTableHeader(c, 150);
    bool shaded = false;
    qint64 taxable = 0;
    for (const Item& item : items)
        taxable += item.quantity * item.priceCents;
    while (next < items.size()) {
        y = drawItemRow(c, y, items[next++], shaded);
        shaded = !shaded;
    }
    // Totals box.
    const qint64 vat = (taxable * 10 + 50) / 100;
    y += 20;
    const QRect box = rectFromEdges(480, y, 753, y + 84);
    drawFrame(c, box, kNoColor);
    c.fillRect(rectFromEdges(481, y + 56, 752, y + 83),
               BrushSpec{BrushStyle::Solid, rgb(0, 60, 120), 0});
    c.setFont(font(-12));
    text(c, 490, y + 8, QStringLiteral("Imponibile"));
    text(c, 745, y + 8, QStringLiteral("€ ") + euros(taxable), TextAlign::Right);
    text(c, 490, y + 30, QStringLiteral("IVA 10%"));
    text(c, 745, y + 30, QStringLiteral("€ ") + euros(vat), TextAlign::Right);
    c.setFont(font(-14, 700));
    c.setTextColor(kWhite);
    text(c, 745, y + 62, QStringLiteral("Totale € ") + euros(taxable + vat), TextAlign::Right);
    c.setTextColor(kBlack);
    c.setFont(font(-11, 400, true, QStringLiteral("Times New Roman")));
    text(c, 40, y + 110,
         QStringLiteral("Operazione soggetta a IVA. Il pagamento oltre i termini comporta gli "
                        "interessi di mora previsti dalla legge."));
    // Bank details in a dashed frame with a hatched corner.
    const QRect bank = rectFromEdges(40, y, 440, y + 84);
    c.setPen(PenSpec{PenStyle::Dash, 1, rgb(90, 90, 90)});
    c.setBrush(BrushSpec{BrushStyle::Hatched, rgb(200, 200, 200), 4});
    c.rectangle(rectFromEdges(400, y, 440, y + 20));
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    c.rectangle(bank);
    c.setFont(font(-12));
    text(c, 50, y + 8, QStringLiteral("Coordinate bancarie"));
    c.setFont(font(-12, 400, false, QStringLiteral("Courier New")));
    text(c, 50, y + 30, QStringLiteral("IBAN IT60 X054 2811 1010 0000 0123 456"));
    text(c, 50, y + 50, QStringLiteral("Banca Popolare di Forlì"));
    drawSideNoteAndFooter(c, 2, 3);
}

void drawCustomerList(Canvas& c) {
    drawCompanyHeader(c);
    c.setFont(font(-20, 700));
    text(c, 40, 130, QStringLiteral("Elenco clienti"));
    static const char16_t* const rows[][3] = {
        {u"Niccolò Bianchi", u"Forlì", u"1.250,00"},
        {u"Città Nuova S.p.A.", u"Città di Castello", u"1.234,56"},
        {u"Caffè Perù S.n.c.", u"Cantù", u"87,30"},
        {u"Lucia Esposito", u"Napoli", u"0,00"},
        {u"Agenzia Viaggi Più", u"Sanremo", u"2.980,10"},
        {u"José Rodríguez", u"Trento", u"45,00"},
        {u"Officina F.lli Ferrè", u"Mantova", u"612,75"},
        {u"Università Popolare", u"Bolzano", u"19,99"},
        {u"Società Cooperativa Età d’Oro", u"Ragusa", u"350,00"},
        {u"Pâtisserie Dupré", u"Aosta", u"76,40"},
    };
    const int cols[] = {40, 330, 560, 753};
    int y = 170;
    c.setFont(font(-12, 700));
    const QString titles[] = {QStringLiteral("Cliente"), QStringLiteral("Città"),
                              QStringLiteral("Saldo €")};
    for (int i = 0; i < 3; ++i) {
        const QRect cell = rectFromEdges(cols[i], y, cols[i + 1], y + 22);
        drawFrame(c, cell, rgb(210, 222, 235));
        cellText(c, cell, titles[i], i == 2 ? TextAlign::Right : TextAlign::Left);
    }
    y += 22;
    c.setFont(font(-12));
    int n = 0;
    for (const auto& row : rows) {
        for (int i = 0; i < 3; ++i) {
            const QRect cell = rectFromEdges(cols[i], y, cols[i + 1], y + kRowHeight);
            drawFrame(c, cell, n % 2 ? rgb(245, 245, 245) : kNoColor);
            cellText(c, cell, QString::fromUtf16(row[i]),
                     i == 2 ? TextAlign::Right : TextAlign::Left);
        }
        y += kRowHeight;
        ++n;
    }
    // A small bar chart of the balances: ellipse markers and a polyline.
    const int base = y + 200;
    c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
    c.moveTo(60, base);
    c.lineTo(740, base);
    std::vector<QPoint> line;
    const int heights[] = {125, 123, 9, 0, 150, 5, 61, 2, 35, 8};
    for (int i = 0; i < 10; ++i) {
        const int x = 80 + i * 66;
        c.fillRect(rectFromEdges(x, base - heights[i], x + 30, base),
                   BrushSpec{BrushStyle::Solid, rgb(0, 90 + i * 12, 160), 0});
        line.emplace_back(x + 15, base - heights[i] - 10);
    }
    c.setPen(PenSpec{PenStyle::Solid, 2, rgb(200, 40, 40)});
    c.polyline(line);
    c.setBrush(BrushSpec{BrushStyle::Solid, rgb(200, 40, 40), 0});
    for (const QPoint& p : line)
        c.ellipse(rectFromEdges(p.x() - 3, p.y() - 3, p.x() + 4, p.y() + 4));
    c.setBrush(BrushSpec{BrushStyle::Solid, rgb(255, 200, 0), 0});
    c.polygon({QPoint(700, base + 20), QPoint(740, base + 20), QPoint(720, base + 50)});
    drawSideNoteAndFooter(c, 3, 3);
}

} // namespace

QImage sampleLogo() {
    QImage logo(64, 64, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 64, 64);
    g.setColorAt(0, QColor(0, 90, 170));
    g.setColorAt(1, QColor(0, 40, 90));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(2, 2, 60, 60));
    p.setBrush(QColor(255, 200, 0));
    QPainterPath s;
    s.moveTo(20, 44);
    s.lineTo(32, 14);
    s.lineTo(44, 44);
    s.closeSubpath();
    p.drawPath(s);
    p.end();
    return logo;
}

void buildSampleReport(TvxEMFPages& pages) {
    const std::vector<Item> items = invoiceItems();
    size_t next = 0;
    using Draw = void (*)(Canvas&, const std::vector<Item>&, size_t&);
    const Draw invoice[] = {drawInvoicePage1, drawInvoicePage2};
    for (Draw draw : invoice) {
        PreparedPageInfo& page = pages.Add(a4Setup());
        draw(*page.PictureCanvas, items, next);
        pages.ClosePage(pages.Count() - 1);
    }
    PreparedPageInfo& list = pages.Add(a4Setup());
    drawCustomerList(*list.PictureCanvas);
    pages.ClosePage(pages.Count() - 1);
}

} // namespace vx
