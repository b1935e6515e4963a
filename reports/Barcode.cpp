#include "reports/Barcode.h"

#include <QPainter>

#include <zint.h>

#include <memory>

namespace reports {

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

} // namespace

std::vector<Bar> code128Bars(const QString& text)
{
    const QByteArray data = text.trimmed().toLatin1();
    if (data.isEmpty())
        return {};
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        return {};
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0;
    symbol->whitespace_width = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    if (ZBarcode_Encode_and_Buffer_Vector(symbol.get(), bytes, int(data.size()), 0) >= ZINT_ERROR || !symbol->vector ||
        symbol->vector->width <= 0)
        return {};
    std::vector<Bar> bars;
    const double total = symbol->vector->width;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next)
        bars.push_back({r->x / total, r->width / total});
    return bars;
}

void drawCode128(QPainter& painter, const QRectF& box, const QString& text)
{
    const std::vector<Bar> bars = code128Bars(text);
    for (const Bar& bar : bars)
        painter.fillRect(QRectF(box.left() + bar.x * box.width(), box.top(), bar.width * box.width(), box.height()),
                         Qt::black);
}

} // namespace reports
