#include "qt/main_window.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#define KESTRUM_WIDE_STORES 1
#endif

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <qdrawutil.h>

#include "qt/fonts.h"
#include "qt/key_translation.h"
#include "qt/label_text.h"
#include "qt/qt_platform.h"
#include "qt/window_fit.h"

namespace kestrum::qt {

namespace {

// The longest the tick timer sleeps through quiet ticks: a key then waits on at most this many.
constexpr int kLongestRestMs = 500;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The model's colours are blue*65536 + green*256 + red.
QColor qcolor(uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QRect qrect(const Rect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

// The window manager's frame around a top-level widget (none before it is framed).
QMargins frameMargins(const QWidget& w) {
    const QRect outer = w.frameGeometry(), inner = w.geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

QRect scaled(const QRect& r, double scale) {
    if (scale == 1.0) return r;
    const int left = int(std::lround(r.left() * scale)), top = int(std::lround(r.top() * scale));
    return QRect(left, top, int(std::lround((r.left() + r.width()) * scale)) - left,
                 int(std::lround((r.top() + r.height()) * scale)) - top);
}

// The window's own drawing area in design pixels, whatever its scale.
QRect designRect() {
    return QRect(0, 0, kDesignWidth, kDesignHeight);
}

std::array<Sprite, 19> spritesOf(const Battlefield& f) {
    std::array<Sprite, 19> s{f.groundStrip, f.ground[0], f.ground[1], f.base[0], f.base[1]};
    std::copy(std::begin(f.explosion), std::end(f.explosion), s.begin() + 5);
    return s;
}

QRect spriteRect(const Sprite& s) {
    return s.visible ? QRect(s.left, s.top, s.width, s.height) : QRect();
}

// Where the controls of a container sit on the window, and whether they can be seen at all.
struct Place {
    QPoint origin;
    QRect clip;
    bool visible = false;
};

Place placeOf(const Screen& s, Container c, int index);

Place placeInside(const Screen& s, Container parent, int parentIndex, const Rect& r, bool visible) {
    const Place outer = placeOf(s, parent, parentIndex);
    const QRect rect = qrect(r).translated(outer.origin);
    return {rect.topLeft(), rect.intersected(outer.clip), outer.visible && visible};
}

Place placeOfPanel(const Screen& s, const Panel& p) {
    return placeInside(s, p.parent, p.parentIndex, p.rect, p.visible);
}

Place placeOf(const Screen& s, Container c, int index) {
    const bool inRange = index >= 0 && index < 4;
    switch (c) {
    case Container::Window:
        break;
    case Container::InputPanel:
        if (inRange) return placeOfPanel(s, s.inputPanels[index]);
        return {};
    case Container::DigitCursor:
        if (inRange) return placeOfPanel(s, s.digitCursors[index]);
        return {};
    case Container::SetupPanel:
        return placeOfPanel(s, s.setupPanel);
    case Container::ModeFrame:
        return placeInside(s, s.modeFrame.parent, s.modeFrame.parentIndex, s.modeFrame.rect,
                           s.modeFrame.visible);
    case Container::RestartPanel:
        return placeOfPanel(s, s.restartPanel);
    }
    return {QPoint(0, 0), QRect(0, 0, kDesignWidth, kDesignHeight), true};
}

// The place of every container, worked out once for a pass over all the controls.
class Places {
  public:
    explicit Places(const Screen& s) {
        at_[0] = placeOf(s, Container::Window, 0);
        for (int i = 0; i < 4; ++i) {
            at_[size_t(1 + i)] = placeOf(s, Container::InputPanel, i);
            at_[size_t(5 + i)] = placeOf(s, Container::DigitCursor, i);
        }
        at_[9] = placeOf(s, Container::SetupPanel, 0);
        at_[10] = placeOf(s, Container::ModeFrame, 0);
        at_[11] = placeOf(s, Container::RestartPanel, 0);
    }
    Place of(Container c, int index) const {
        const bool inRange = index >= 0 && index < 4;
        switch (c) {
        case Container::Window:
            return at_[0];
        case Container::InputPanel:
            return inRange ? at_[size_t(1 + index)] : Place{};
        case Container::DigitCursor:
            return inRange ? at_[size_t(5 + index)] : Place{};
        case Container::SetupPanel:
            return at_[9];
        case Container::ModeFrame:
            return at_[10];
        case Container::RestartPanel:
            return at_[11];
        }
        return at_[0];
    }

  private:
    std::array<Place, 12> at_;
};

// Every label of the model, in drawing order within its container.
template <typename Fn> void forEachLabel(const Screen& s, Fn fn) {
    for (const Label& l : s.statusCaptions)
        fn(l);
    for (const Label& l : s.statusUnits)
        fn(l);
    for (const Label& l : s.statusValues)
        fn(l);
    for (const Label& l : s.modeCaptions)
        fn(l);
    for (const Label& l : s.statusSlot)
        fn(l);
    for (const Label& l : s.score)
        fn(l);
    for (const Label& l : s.panelSlots)
        fn(l);
    for (const Label& l : s.panelValues)
        fn(l);
    for (const Label& l : s.shellCaptions)
        fn(l);
    for (const Label& l : s.panelUnits)
        fn(l);
    for (const Label& l : s.rocketCaptions)
        fn(l);
    for (const Label& l : s.cursorDigits)
        fn(l);
    for (const Label& l : s.slotLabels)
        fn(l);
    for (const Label* l : {&s.shellChoice, &s.rocketChoice, &s.modeQuestion, &s.airQuestion, &s.soundQuestion,
                           &s.restartQuestion, &s.opponentCaption, &s.pauseCaption, &s.roundResultCaption})
        fn(*l);
}

Qt::Alignment alignmentOf(const Label& l) {
    return l.align == Align::Right    ? Qt::AlignRight
           : l.align == Align::Center ? Qt::AlignHCenter
                                      : Qt::AlignLeft;
}

QRect labelRect(const Label& l, QPoint origin, const LabelText& text) {
    QRect r = qrect(l.rect).translated(origin);
    if (l.autoSize) r.setWidth(text.advance());
    return r;
}

void drawLabel(QPainter& p, const Label& l, QPoint origin, const LabelText& text) {
    const QRect r = labelRect(l, origin, text);
    if (!l.transparent) p.fillRect(r, qcolor(l.backColor));
    p.setPen(qcolor(l.foreColor));
    text.draw(p, r, alignmentOf(l));
}

// Glyphs may reach a little past their advance (bearings, antialiasing).
constexpr int kInkMargin = 4;
// An etched border's one-pixel lines straddle the rectangle's edge on a high-DPI device.
constexpr int kLineMargin = 1;

// The pixels a label can touch: its box and its text, which is not clipped to the box.
QRect labelInk(const Label& l, QPoint origin, const LabelText& text) {
    const QRect r = labelRect(l, origin, text);
    return r | text.extent(r, alignmentOf(l)).adjusted(-kInkMargin, -kInkMargin, kInkMargin, kInkMargin);
}

// Labels that differ only in where they stand (a slot number following its shell) cover the same
// pixels, moved: no need to lay the text out again.
bool sameLook(const Label& a, const Label& b) {
    return a.caption == b.caption && a.font == b.font && a.align == b.align && a.autoSize == b.autoSize &&
           a.rect.width == b.rect.width && a.rect.height == b.rect.height;
}

// Labels that show the same pixels in their box.
bool samePixels(const Label& a, const Label& b) {
    return sameLook(a, b) && a.foreColor == b.foreColor && a.backColor == b.backColor &&
           a.transparent == b.transparent;
}

// A painter that copies an image of the device's own pixel size 1:1 onto a raster image: whole
// pixels, this scale, plain source-over. Its scale and the image's format.
bool copiesWholePixels(QPainter& p, int& factor, QImage::Format& format) {
    QPaintEngine* engine = p.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) return false;
    const QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image) return false;
    const QTransform& t = p.deviceTransform();
    factor = int(t.m11());
    if (t.type() > QTransform::TxScale || factor < 1 || t.m11() != factor || t.m22() != factor ||
        t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()) || p.opacity() != 1.0 ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    format = static_cast<const QImage*>(device)->format();
    return true;
}

// An opaque label's box as drawLabel paints it, where none of its ink falls outside the box: drawn
// over black and over white, nothing around the box may change. Null where some ink lies outside.
QImage keptPixels(const Label& l, const LabelText& text, QSize size, int factor, QImage::Format format) {
    const QRect box(QPoint(0, 0), size);
    const Qt::Alignment align = alignmentOf(l);
    const QRect extent = text.extent(box, align);
    if (extent.left() < 0 || extent.right() > box.right()) return {};
    // How far around the box is looked at: past the glyphs' bearings, and a line below and above.
    const int m = std::max(2 * kInkMargin, extent.height());
    const QRect inside(QPoint(m, m) * factor, size * factor);
    QImage drawn[2];
    for (int k = 0; k < 2; ++k) {
        QImage& image = drawn[k];
        image = QImage((size + QSize(2 * m, 2 * m)) * factor, format);
        image.setDevicePixelRatio(factor);
        image.fill(k == 0 ? Qt::black : Qt::white);
        {
            QPainter q(&image);
            q.translate(m, m);
            q.fillRect(box, qcolor(l.backColor));
            q.setPen(qcolor(l.foreColor));
            text.draw(q, box, align);
        }
        const QRgb around = image.pixel(0, 0);
        const int width = image.width(), height = image.height();
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            const bool throughBox = y >= inside.top() && y <= inside.bottom();
            for (int x = 0; x < width; ++x) {
                if (throughBox && x == inside.left()) x = inside.right() + 1;
                if (x < width && line[x] != around) return {};
            }
        }
    }
    QImage kept = drawn[0].copy(inside);
    kept.setDevicePixelRatio(factor);
    return kept;
}

// A frame: an etched box under its caption.
QRect frameCaption(const Label& l, const QRect& r, const QString& text) {
    const QFontMetrics fm(modelFont(l.font));
    return QRect(r.left() + 8, r.top(), fm.horizontalAdvance(text) + 4, fm.height());
}

void drawFrame(QPainter& p, const Label& l, QPoint origin, const QPalette& palette) {
    const QFont& font = modelFont(l.font);
    const QFontMetrics fm(font);
    const QRect r = qrect(l.rect).translated(origin);
    if (!l.transparent) p.fillRect(r, qcolor(l.backColor));
    const QRect box = r.adjusted(0, fm.height() / 2, -1, -1);
    qDrawShadeRect(&p, box, palette, true, 1, 0);
    const QString text = qs(l.caption);
    const QRect caption = frameCaption(l, r, text);
    p.fillRect(caption, qcolor(l.backColor));
    p.setFont(font);
    p.setPen(qcolor(l.foreColor));
    p.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, text);
}

QRect frameBounds(const Label& l, QPoint origin, QRect clip) {
    const QRect r = qrect(l.rect).translated(origin);
    const QString text = qs(l.caption);
    const QRect caption = frameCaption(l, r, text);
    const QRect ink =
        QFontMetrics(modelFont(l.font)).boundingRect(caption, Qt::AlignCenter | Qt::TextSingleLine, text);
    return (r.adjusted(-kLineMargin, -kLineMargin, kLineMargin, kLineMargin) | caption |
            ink.adjusted(-kInkMargin, -kInkMargin, kInkMargin, kInkMargin)) &
           clip;
}

// A panel fills its rectangle inside its container and draws its border over the whole rectangle.
QRect panelRect(const Panel& panel, const Place& place) {
    return qrect(panel.rect).translated(place.origin - QPoint(panel.rect.left, panel.rect.top));
}

QRect panelBounds(const Panel& panel, const Place& place) {
    return panelRect(panel, place).adjusted(-kLineMargin, -kLineMargin, kLineMargin, kLineMargin) &
           designRect();
}

// The answer boxes, each mirrored by a line edit of the window.
constexpr Box kBoxes[] = {Box::Mode, Box::Air, Box::Sound, Box::Restart};

// The model's BBGGRR as Qt's 0xffRRGGBB.
QRgb toQRgb(uint32_t c) {
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A raster pixel as a factor x factor block of the image.
void putBlock(QImage& image, int x, int y, int factor, uint32_t c) {
    const QRgb rgb = toQRgb(c);
    for (int dy = 0; dy < factor; ++dy) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y * factor + dy)) + x * factor;
        std::fill_n(line, factor, rgb);
    }
}

// One row of model colours as Qt pixels, each repeated factor times: straight loops the compiler
// turns into vector code for the usual factors 1 and 2.
void widenRow(const uint32_t* src, QRgb* dst, int w, int factor) {
    if (factor == 1) {
        for (int x = 0; x < w; ++x)
            dst[x] = toQRgb(src[x]);
    } else if (factor == 2) {
        for (int x = 0; x < w; ++x) {
            const uint64_t rgb = toQRgb(src[x]);
            const uint64_t pair = rgb | rgb << 32;
            std::memcpy(dst + 2 * x, &pair, sizeof pair);
        }
    } else {
        for (int x = 0; x < w; ++x)
            std::fill_n(dst + x * factor, factor, toQRgb(src[x]));
    }
}

// At ratio 2, one row of model colours straight into the two rows of its blocks, written past the
// caches: a whole battlefield is far larger than they are, and is not read back. False where the
// rows are not aligned for it (then widenRow does the work).
bool widenRowTwice(const uint32_t* src, QRgb* top, QRgb* bottom, int w) {
#if defined(__SSE2__)
    if ((reinterpret_cast<uintptr_t>(top) | reinterpret_cast<uintptr_t>(bottom)) % 16 != 0 || w % 4 != 0)
        return false;
    const __m128i low = _mm_set1_epi32(0xFF), green = _mm_set1_epi32(0xFF00),
                  alpha = _mm_set1_epi32(int(0xFF000000u));
    for (int x = 0; x < w; x += 4) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        // BBGGRR to 0xFFRRGGBB, as toQRgb.
        const __m128i swapped = _mm_or_si128(_mm_slli_epi32(_mm_and_si128(c, low), 16),
                                             _mm_and_si128(_mm_srli_epi32(c, 16), low));
        const __m128i rgb = _mm_or_si128(_mm_or_si128(swapped, _mm_and_si128(c, green)), alpha);
        const __m128i left = _mm_unpacklo_epi32(rgb, rgb), right = _mm_unpackhi_epi32(rgb, rgb);
        _mm_stream_si128(reinterpret_cast<__m128i*>(top + 2 * x), left);
        _mm_stream_si128(reinterpret_cast<__m128i*>(top + 2 * x + 4), right);
        _mm_stream_si128(reinterpret_cast<__m128i*>(bottom + 2 * x), left);
        _mm_stream_si128(reinterpret_cast<__m128i*>(bottom + 2 * x + 4), right);
    }
    return true;
#else
    (void)src, (void)top, (void)bottom, (void)w;
    return false;
#endif
}

#if defined(KESTRUM_WIDE_STORES)
// At ratio 2 where the processor has 512-bit stores: each store fills a whole 64-byte cache line,
// which the processor then need not read first (the most a whole battlefield costs). The image
// stays in the cache for whatever reads it next.
#pragma GCC diagnostic push
// GCC 12 takes the intrinsics' deliberately undefined start values for uninitialised ones.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
__attribute__((target("avx512f"))) void widenRowTwiceWide(const uint32_t* src, QRgb* top, QRgb* bottom,
                                                          int w) {
    auto block = [&](int x) {
        top[2 * x] = top[2 * x + 1] = bottom[2 * x] = bottom[2 * x + 1] = toQRgb(src[x]);
    };
    int x = 0;
    // Up to the first whole line; rows lie a whole number of lines apart in the images drawn into.
    if ((reinterpret_cast<uintptr_t>(top) - reinterpret_cast<uintptr_t>(bottom)) % 64 == 0)
        for (; x < w && reinterpret_cast<uintptr_t>(top + 2 * x) % 64 != 0; ++x)
            block(x);
    const __m512i low = _mm512_set1_epi32(0xFF), green = _mm512_set1_epi32(0xFF00),
                  alpha = _mm512_set1_epi32(int(0xFF000000u));
    const __m512i left = _mm512_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7);
    const __m512i right = _mm512_setr_epi32(8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15);
    for (; x + 16 <= w; x += 16) {
        const __m512i c = _mm512_loadu_si512(src + x);
        // BBGGRR to 0xFFRRGGBB, as toQRgb.
        const __m512i swapped = _mm512_or_si512(_mm512_slli_epi32(_mm512_and_si512(c, low), 16),
                                                _mm512_and_si512(_mm512_srli_epi32(c, 16), low));
        const __m512i rgb = _mm512_or_si512(_mm512_or_si512(swapped, _mm512_and_si512(c, green)), alpha);
        const __m512i a = _mm512_permutexvar_epi32(left, rgb), b = _mm512_permutexvar_epi32(right, rgb);
        _mm512_storeu_si512(top + 2 * x, a);
        _mm512_storeu_si512(top + 2 * x + 16, b);
        _mm512_storeu_si512(bottom + 2 * x, a);
        _mm512_storeu_si512(bottom + 2 * x + 16, b);
    }
    for (; x < w; ++x)
        block(x);
}
#pragma GCC diagnostic pop

// The processor has 512-bit registers and the system saves them. Asked of the processor itself: the
// compiler's own test asks it everything it knows at every start-up, some 70 µs where each question
// goes through a hypervisor.
bool processorHas512BitStores() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE)) return false;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d) || !(b & bit_AVX512F)) return false;
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    constexpr unsigned kVectorAndMaskState = 0xE6; // the SSE, AVX, mask and both 512-bit halves
    return (low & kVectorAndMaskState) == kVectorAndMaskState;
}

// KESTRUM_NARROW_STORES=1 takes the path every processor has, so that the tests see it here too.
bool wideStores() {
    static const bool supported =
        processorHas512BitStores() && qEnvironmentVariableIntValue("KESTRUM_NARROW_STORES") == 0;
    return supported;
}
#endif

// Streamed writes are ordered before whatever the painter does next.
void finishStreaming() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

} // namespace

MainWindow::MainWindow(Game& game, QtPlatform& platform, QWidget* parent)
    : QWidget(parent), game_(game), platform_(platform) {
    title_ = game_.screen().title;
    setWindowTitle(qs(title_));
    if (QFile::exists(QStringLiteral(":/kestrum.png"))) setWindowIcon(QIcon(QStringLiteral(":/kestrum.png")));
    setFixedSize(kDesignWidth, kDesignHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Keys reach the window whenever no box has the focus; a click on the window does not take it
    // from a box.
    setFocusPolicy(Qt::TabFocus);

    // Every control, in the order the painter visits them within their containers.
    const Screen& s = game_.screen();
    forEachLabel(s, [this](const Label& l) { labels_.push_back(&l); });
    drawnLabels_.resize(labels_.size());
    for (const Panel& panel : s.inputPanels)
        panels_.push_back(&panel);
    for (const Panel& cursor : s.digitCursors)
        panels_.push_back(&cursor);
    panels_.push_back(&s.setupPanel);
    panels_.push_back(&s.restartPanel);
    drawnPanels_.resize(panels_.size());
    fitToScreen();

    platform_.setMainWindow(this);
    platform_.setSettingsPath([this] { return game_.match().settingsPath; });
    connect(&platform_.tickTimer(), &TickTimer::timeout, this, [this] {
        // A tick run late that the game promised would change nothing: no screen to bring up to date.
        if (platform_.tickTimer().deliveringQuietTick()) {
            if (!platform_.quitting()) game_.tick();
            return;
        }
        handle([this] {
            if (replay_)
                advanceReplay();
            else
                game_.tick();
        });
    });
    connect(&platform_.startTimer(), &QTimer::timeout, this,
            [this] { handle([this] { game_.startTick(); }); });
}

QLineEdit* MainWindow::makeEdit(Box b) {
    // The boxes of later prompts are made when they are first shown: the first frame needs one.
    QLineEdit*& edit = edits_[size_t(b)];
    if (edit) return edit;
    // A line edit first lays its text out in the application's face, then in its own: under the box's
    // face the system's is never loaded (the first frame is that much sooner).
    const QFont boxFont = gothicFont(12 * scale_), systemFont = QApplication::font();
    QApplication::setFont(boxFont);
    edit = new QLineEdit;
    edit->setFont(boxFont);
    QApplication::setFont(systemFont);
    edit->setParent(this);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->hide();
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, b](const QString& text) {
        if (!replay_) handle([&] { game_.setBoxText(b, text.toStdString()); });
    });
    return edit;
}

QLineEdit* MainWindow::boxEdit(Box box) {
    if (!edits_[size_t(box)]) mirrorBox(box);
    return edits_[size_t(box)];
}

void MainWindow::mirrorBox(Box b) {
    const Screen& s = game_.screen();
    const TextBox& model = s.box(b);
    const Place place = placeOf(s, model.parent, 0);
    QLineEdit* edit = makeEdit(b);
    const QRect geometry = scaled(qrect(model.rect).translated(place.origin), scale_);
    if (edit->geometry() != geometry) edit->setGeometry(geometry);
    // The model's text converted only when it changed; the box is still set back to it whenever
    // it differs (a character the game did not take).
    BoxText& shown = boxTexts_[size_t(b)];
    if (shown.model != model.text) shown = {model.text, qs(model.text)};
    if (edit->text() != shown.text) {
        const QSignalBlocker quiet(edit); // the model set it: no change event back
        edit->setText(shown.text);
    }
    edit->setVisible(place.visible);
}

template <typename Handler> void MainWindow::handle(Handler&& handler) {
    if (platform_.quitting()) return; // the program is ending: nothing more reaches the game
    // Ticks slept through come first, in their order with the keys as if they had run on time.
    TickTimer& timer = platform_.tickTimer();
    if (!replay_) timer.catchUp();
    handler();
    if (platform_.quitting()) return;
    syncFromModel();
    // Half a second of quiet ticks at most, so that a key never waits on many.
    if (!replay_ && timer.isActive())
        timer.rest(game_.quietTicksAhead(std::max(1, kLongestRestMs / std::max(1, timer.interval()))));
}

void MainWindow::runLoadStep() {
    handle([this] { game_.load(); });
}

void MainWindow::showReplay(ReplayPlayer& player) {
    replay_ = &player;
    handle([this] { game_.screen().title = replayStatus().toStdString(); });
}

QString MainWindow::replayStatus() const {
    const ReplayPlayer& p = *replay_;
    QString status = QStringLiteral("Kestrum — リプレイ ×%1  ラウンド %2  ティック %3")
                         .arg(speed_)
                         .arg(p.round())
                         .arg(p.tick());
    if (p.leftAt()) return status + QStringLiteral("  記録と食い違い (ティック %1)").arg(*p.leftAt());
    if (p.finished())
        return status +
               (p.cutShort() ? QStringLiteral("  終わり (記録が途中まで)") : QStringLiteral("  終わり"));
    return paused_ ? status + QStringLiteral("  一時停止") : status;
}

void MainWindow::advanceReplay() {
    for (int i = 0; i < speed_ && !paused_; ++i)
        if (!replay_->step()) break;
    game_.screen().title = replayStatus().toStdString();
}

void MainWindow::replayKey(int key) {
    ReplayPlayer& p = *replay_;
    switch (key) {
    case Qt::Key_Space:
        paused_ = !paused_;
        break;
    case Qt::Key_Right:
        if (paused_) p.step();
        break;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_4:
    case Qt::Key_8:
        speed_ = key - Qt::Key_0;
        break;
    case Qt::Key_PageDown:
        p.seekRound(p.round() + 1);
        break;
    case Qt::Key_PageUp:
        // To the start of the round before (the first round starts again).
        p.seekRound(std::max(1, p.round() - 1));
        break;
    case Qt::Key_Escape:
    case Qt::Key_Q:
        close();
        return;
    default:
        return;
    }
    handle([this] { game_.screen().title = replayStatus().toStdString(); });
}

QRegion MainWindow::syncFromModel() {
    const Screen& s = game_.screen();
    if (s.title != title_) {
        title_ = s.title;
        setWindowTitle(qs(title_));
    }

    for (Box b : kBoxes)
        if (edits_[size_t(b)] || placeOf(s, s.box(b).parent, 0).visible) mirrorBox(b);

    QWidget* target = this;
    if (s.focus) {
        QLineEdit* edit = edits_[size_t(*s.focus)];
        if (edit && !edit->isHidden()) target = edit;
    }
    if (QApplication::focusWidget() != target || focusWidget() != target)
        target->setFocus(Qt::OtherFocusReason);

    const QRegion changed = takeChangedRegion();
    if (changed.isEmpty()) return changed;
    if (scale_ != 1.0 || changed.boundingRect() == designRect()) {
        update();
        return rect();
    }
    update(changed);
    return changed;
}

QRegion MainWindow::takeChangedRegion() {
    const Screen& s = game_.screen();
    const Places places(s);
    QRegion changed = takeFieldChanges();
    if (!drawnOnce_) {
        changed = designRect();
        drawnOnce_ = true;
    }
    for (size_t i = 0; i < labels_.size(); ++i) {
        const Label& l = *labels_[i];
        DrawnLabel& d = drawnLabels_[i];
        if (!l.visible && !d.shown) continue; // hidden before and now: wherever its container is
        const Place place = places.of(l.parent, l.parentIndex);
        const bool shown = l.visible && place.visible;
        if (shown == d.shown &&
            (!shown || (l == d.label && place.origin == d.origin && place.clip == d.clip)))
            continue;
        QRect ink;
        if (shown && d.shown && sameLook(l, d.label)) {
            ink = d.ink.translated(place.origin + QPoint(l.rect.left, l.rect.top) - d.origin -
                                   QPoint(d.label.rect.left, d.label.rect.top));
        } else if (shown) {
            d.text.set(l.caption, l.font); // laid out again only for a new caption or font
            ink = labelInk(l, place.origin, d.text);
        }
        const QRect bounds = ink & place.clip;
        changed += d.bounds;
        changed += bounds;
        d.label = l; // assigned member by member: the caption's buffer is reused
        d.origin = place.origin;
        d.clip = place.clip;
        d.shown = shown;
        d.ink = ink;
        d.bounds = bounds;
    }
    for (size_t i = 0; i < panels_.size(); ++i) {
        const Panel& panel = *panels_[i];
        DrawnPanel& d = drawnPanels_[i];
        const Place place = placeOfPanel(s, panel);
        if (place.visible == d.shown &&
            (!place.visible || (panel == d.panel && place.origin == d.origin && place.clip == d.clip)))
            continue;
        const QRect bounds = place.visible ? panelBounds(panel, place) : QRect();
        changed += d.bounds;
        changed += bounds;
        d = {panel, place.origin, place.clip, place.visible, bounds};
    }
    // The frame is drawn inside the prompt panel, at its own container's origin.
    const Place setup = placeOfPanel(s, s.setupPanel);
    const Place frame = placeOf(s, Container::ModeFrame, 0);
    const QPoint origin = placeOf(s, s.modeFrame.parent, s.modeFrame.parentIndex).origin;
    const bool shown = setup.visible && frame.visible;
    DrawnLabel& d = drawnFrame_;
    if (shown != d.shown ||
        (shown && (s.modeFrame != d.label || origin != d.origin || setup.clip != d.clip))) {
        const QRect bounds = shown ? frameBounds(s.modeFrame, origin, setup.clip) : QRect();
        changed += d.bounds;
        changed += bounds;
        d.label = s.modeFrame;
        d.origin = origin;
        d.clip = setup.clip;
        d.shown = shown;
        d.bounds = bounds;
    }
    return changed & designRect();
}

QRegion MainWindow::takeFieldChanges() {
    Battlefield& field = game_.field();
    const QRect whole(0, 0, Battlefield::kWidth, Battlefield::kHeight);
    const bool all = field.takeChanges(changedPixels_);
    const auto sprites = spritesOf(field);
    const bool blank = field.blank();
    QRegion changed;
    if (all || blank != drawnBlank_) {
        imageStale_ = true;
        changed = whole;
    } else {
        for (size_t i = 0; i < sprites.size(); ++i) {
            if (sprites[i] == drawnSprites_[i]) continue;
            imageStale_ = true;
            changed += spriteRect(drawnSprites_[i]) & whole;
            changed += spriteRect(sprites[i]) & whole;
        }
        // Trail points drawn or erased: they go straight into the kept image, as the colour test
        // reads them, and only they are repainted.
        const bool keep = !imageStale_ && !image_.isNull();
        for (uint32_t i : changedPixels_) {
            const int x = int(i % Battlefield::kWidth), y = int(i / Battlefield::kWidth);
            if (keep) putBlock(image_, x, y, imageFactor_, uint32_t(field.point(x, y)));
            changed += QRect(x, y, 1, 1);
        }
    }
    drawnSprites_ = sprites;
    drawnBlank_ = blank;
    return changed;
}

bool MainWindow::boxHasFocus() const {
    const QWidget* focus = QApplication::focusWidget();
    return std::find(edits_.begin(), edits_.end(), focus) != edits_.end();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (Box b : kBoxes)
            if (watched == edits_[size_t(b)] && !replay_) handle([&] { game_.focusBox(b); });
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::setContentScale(double scale) {
    scale_ = scale;
    setFixedSize(scaledSize(QSize(kDesignWidth, kDesignHeight), scale));
    for (Box b : kBoxes) {
        QLineEdit* edit = edits_[size_t(b)];
        if (!edit) continue; // made at the scale of its time
        edit->setFont(gothicFont(12 * scale));
        const TextBox& model = game_.screen().box(b);
        edit->setGeometry(
            scaled(qrect(model.rect).translated(placeOf(game_.screen(), model.parent, 0).origin), scale));
    }
    update();
}

void MainWindow::fitToScreen() {
    const QScreen* where = screen();
    if (!where) return;
    const QRect available = where->availableGeometry();
    // The frame is known only once a window manager has framed the shown window.
    fittedFrame_ = isVisible() ? frameMargins(*this) : QMargins();
    const double scale = fitScale(QSize(kDesignWidth, kDesignHeight), available.size(), fittedFrame_);
    if (scale != scale_) setContentScale(scale);
    // Shrunk to the screen's measure, the window must also stand where all of it is seen.
    if (scale < 1.0 && !available.contains(frameGeometry())) move(available.topLeft());
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitToScreen();
    // The start tick waits for the window to be shown: run now, it is in the first frame painted.
    QTimer& start = platform_.startTimer();
    if (start.isActive()) {
        start.stop();
        handle([this] { game_.startTick(); });
    }
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A window manager's frame appears after the first show: fit again with it.
    if (isVisible() && frameMargins(*this) != fittedFrame_) fitToScreen();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (replay_) {
        replayKey(event->key());
        event->accept();
        return;
    }
    // A key a box did not want is not a game key: what is typed into a box stays there.
    if (boxHasFocus()) {
        event->ignore();
        return;
    }
    const int16_t vk = translateKey(event->nativeScanCode(), event->key(), event->modifiers());
    // Auto-repeats are key-downs too.
    handle([&] { game_.keyDown(vk, modifierMask(event->modifiers())); });
    event->accept();
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (replay_) return; // the recorded keys alone act on a replay
    if (boxHasFocus()) {
        event->ignore();
        return;
    }
    // The window system's auto-repeat sends a release before each repeat: the key is still held.
    if (event->isAutoRepeat()) return;
    const int16_t vk = translateKey(event->nativeScanCode(), event->key(), event->modifiers());
    handle([&] { game_.keyUp(vk); });
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    // Once the window has lost the keyboard (a dialog, another window, minimised), the key-ups of
    // the keys held now go elsewhere.
    const bool lost = (event->type() == QEvent::ActivationChange && !isActiveWindow()) ||
                      (event->type() == QEvent::WindowStateChange && isMinimized());
    if (lost && !replay_) handle([this] { game_.releaseAllKeys(); });
    QWidget::changeEvent(event);
}

bool MainWindow::focusNextPrevChild(bool) {
    // Tab is a key like any other; the game moves the focus between the boxes.
    return false;
}

const QImage& MainWindow::battlefieldImage(int factor) {
    if (!imageStale_ && imageFactor_ == factor && !image_.isNull()) return image_;
    // Built at the device's own pixel size, each raster pixel a factor x factor block, so that the
    // painter copies it 1:1 instead of running a general scaler on every frame.
    const int w = Battlefield::kWidth, h = Battlefield::kHeight;
    if (image_.width() != w * factor || image_.format() != QImage::Format_RGB32)
        image_ = QImage(w * factor, h * factor, QImage::Format_RGB32);
    image_.setDevicePixelRatio(factor);
    writeComposed(image_, QPoint(0, 0), factor);
    imageFactor_ = factor;
    imageStale_ = false;
    return image_;
}

void MainWindow::writeComposed(QImage& target, QPoint at, int factor) const {
    // Rows that no picture covers come straight from the drawing surface; the others are composed
    // a band at a time into a buffer that stays in the cache.
    constexpr int w = Battlefield::kWidth, h = Battlefield::kHeight, kBand = 8;
    const Battlefield& field = game_.field();
    std::array<uint32_t, size_t(w) * kBand> band;
    auto line = [&](int y) { return reinterpret_cast<QRgb*>(target.scanLine(y)) + at.x(); };
    auto widen = [&](const uint32_t* src, int y) {
#if defined(KESTRUM_WIDE_STORES)
        if (factor == 2 && wideStores())
            return widenRowTwiceWide(src, line(at.y() + 2 * y), line(at.y() + 2 * y + 1), w);
#endif
        if (factor == 2 && widenRowTwice(src, line(at.y() + 2 * y), line(at.y() + 2 * y + 1), w)) return;
        QRgb* row = line(at.y() + y * factor);
        widenRow(src, row, w, factor);
        for (int k = 1; k < factor; ++k)
            std::memcpy(line(at.y() + y * factor + k), row, size_t(w) * size_t(factor) * sizeof(QRgb));
    };
    for (int first = 0; first < h;) {
        if (!field.pictureOnRow(first)) {
            widen(field.surfaceRow(first), first);
            ++first;
            continue;
        }
        int last = first + 1;
        while (last < h && last - first < kBand && field.pictureOnRow(last))
            ++last;
        field.composeRows(first, last, band.data());
        for (int y = first; y < last; ++y)
            widen(&band[size_t(y - first) * w], y);
        first = last;
    }
    finishStreaming();
}

namespace {

// The image the painter writes into, where the battlefield can be composed straight into it: a
// 32-bit raster image of its own (not shared, so that writing does not copy it away from the
// painter), drawn into at a whole-pixel offset and this scale.
QImage* rasterTarget(QPainter& p, int factor, const QRect& field, QPoint& at) {
    QPaintEngine* engine = p.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) return nullptr;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image) return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    if (!image->isDetached() || p.opacity() != 1.0 ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return nullptr;
    const QTransform& t = p.deviceTransform();
    if (t.type() > QTransform::TxScale || t.m11() != factor || t.m22() != factor) return nullptr;
    at = QPoint(int(t.dx()), int(t.dy()));
    if (at.x() != t.dx() || at.y() != t.dy()) return nullptr;
    const QRect target(at + field.topLeft() * factor, field.size() * factor);
    return image->rect().contains(target) ? image : nullptr;
}

} // namespace

void MainWindow::paintBattlefield(QPainter& p, const QRegion& region) {
    const QRect field(0, 0, Battlefield::kWidth, Battlefield::kHeight);
    if (game_.field().blank()) {
        p.fillRect(field, qcolor(colour::screenCyan)); // before the first match: sky only
        return;
    }
    // The battlefield raster, pixel for pixel (no smoothing) on high-DPI screens: whole blocks per
    // pixel at the device's integer scale; a fractional remainder is left to nearest-neighbour scaling.
    const QTransform& t = p.deviceTransform();
    const bool shrunk = scale_ != 1.0;
    const int factor = std::clamp(int(shrunk ? std::ceil(t.m11() - 0.01) : t.m11() + 0.01), 1, 8);
    // The whole battlefield to be composed anew (a new round, a crater): straight into the
    // painter's image, without building the kept image and copying it. The kept image is built
    // when a later repaint of a part needs it.
    QPoint at;
    if (!shrunk && imageStale_ && (QRegion(field) - region).isEmpty()) {
        if (QImage* target = rasterTarget(p, factor, field, at)) {
            writeComposed(*target, at, factor);
            return;
        }
    }
    const QImage& image = battlefieldImage(factor);
    if (shrunk || t.m11() != factor || t.m22() != factor) {
        p.drawImage(field, image);
        return;
    }
    // Only the rectangles asked for: a tick's repaint is a few trail points and labels.
    for (const QRect& r : region) {
        const QRect target = r & field;
        if (!target.isEmpty())
            p.drawImage(target, image, QRect(target.topLeft() * factor, target.size() * factor));
    }
}

// A label drawn alike twice running keeps its box's pixels where all its ink lies in the box, and is
// copied from then on instead of drawn (the text is the larger part of a whole frame).
void MainWindow::drawLabelOf(QPainter& p, DrawnLabel& d) {
    const Label& l = d.label;
    if (!samePixels(l, d.keptLook)) d.keptLook = l, d.drawsAlike = 0, d.keepable = true, d.kept = QImage();
    int factor = 1;
    QImage::Format format = QImage::Format_Invalid;
    if (!l.transparent && d.keepable && scale_ == 1.0 && ++d.drawsAlike >= 2 &&
        copiesWholePixels(p, factor, format)) {
        const QRect r = labelRect(l, d.origin, d.text);
        bool fits = !d.kept.isNull() && d.kept.devicePixelRatio() == factor && d.kept.format() == format;
        // A few kept each frame: a frame that shows every label again does not stall on them.
        if (!fits && keptThisFrame_ < kKeptPerFrame) {
            ++keptThisFrame_;
            d.kept = keptPixels(l, d.text, r.size(), factor, format);
            fits = d.keepable = !d.kept.isNull();
        }
        if (fits) {
            p.drawImage(r.topLeft(), d.kept);
            return;
        }
    }
    drawLabel(p, l, d.origin, d.text);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    const Screen& s = game_.screen();
    QPainter p(this);
    keptThisFrame_ = 0;
    // Shrunk to fit a small screen: everything in design coordinates, the battlefield smoothed so
    // that thin trails do not drop out between the kept pixels; such a window repaints whole.
    const bool shrunk = scale_ != 1.0;
    if (shrunk) {
        p.scale(scale_, scale_);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    // Whatever changed without a sync is still repainted, in this frame where it lies inside it.
    const QRegion unsynced = takeChangedRegion();
    const QRegion region = shrunk ? QRegion(designRect()) : event->region();
    if (!shrunk && !(unsynced - region).isEmpty()) update(unsynced - region);

    paintBattlefield(p, region);

    // Printed texts, at full resolution.
    for (const PrintedText& t : game_.field().texts()) {
        const QFont& font = modelFont(Font{Face::Gothic, t.points, false});
        p.setFont(font);
        p.setPen(qcolor(t.colour));
        p.drawText(QPoint(t.x, t.y + QFontMetrics(font).ascent()), qs(t.text));
    }

    // Labels straight on the window. A label outside the repainted region is not even laid out.
    for (size_t i = 0; i < labels_.size(); ++i) {
        DrawnLabel& d = drawnLabels_[i];
        if (d.shown && d.label.parent == Container::Window && region.intersects(d.bounds)) drawLabelOf(p, d);
    }

    // Panels with their contents, each clipped to its panel.
    auto drawChildren = [&](Container c, int index, const Place& place) {
        bool clipped = false;
        for (size_t i = 0; i < labels_.size(); ++i) {
            DrawnLabel& d = drawnLabels_[i];
            if (!d.shown || d.label.parent != c || d.label.parentIndex != index ||
                !region.intersects(d.bounds))
                continue;
            if (!clipped) {
                p.save();
                p.setClipRect(place.clip);
                clipped = true;
            }
            drawLabelOf(p, d);
        }
        if (clipped) p.restore();
    };
    auto drawPanel = [&](const Panel& panel, bool border) -> std::optional<Place> {
        const Place place = placeOfPanel(s, panel);
        if (!place.visible) return std::nullopt;
        const QRect r = panelRect(panel, place);
        if (!region.intersects(panelBounds(panel, place))) return place;
        p.fillRect(r.intersected(place.clip), qcolor(panel.backColor));
        if (border) qDrawShadeRect(&p, r, palette(), true, 1, 0);
        return place;
    };

    for (int mode = 0; mode < 2; ++mode) {
        for (int player = 0; player < 2; ++player) {
            const int index = Screen::panelIndex(mode, player);
            const auto panel = drawPanel(s.inputPanel(mode, player), true);
            if (!panel) continue;
            drawChildren(Container::InputPanel, index, *panel);
            if (const auto cursor = drawPanel(s.digitCursor(mode, player), false))
                drawChildren(Container::DigitCursor, index, *cursor);
        }
    }
    if (const auto setup = drawPanel(s.setupPanel, true)) {
        const Place frame = placeOf(s, Container::ModeFrame, 0);
        if (frame.visible) {
            if (region.intersects(drawnFrame_.bounds)) {
                p.save();
                p.setClipRect(setup->clip);
                drawFrame(p, s.modeFrame, placeOf(s, s.modeFrame.parent, s.modeFrame.parentIndex).origin,
                          palette());
                p.restore();
            }
            drawChildren(Container::ModeFrame, 0, frame);
        }
        drawChildren(Container::SetupPanel, 0, *setup);
    }
    if (const auto restart = drawPanel(s.restartPanel, true))
        drawChildren(Container::RestartPanel, 0, *restart);
}

} // namespace kestrum::qt
