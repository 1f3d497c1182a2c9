// The main window on the offscreen platform: the battlefield shown pixel for pixel at both device
// pixel ratios, labels and printed texts in the model's colours, and the prompt boxes and keys
// driving the real game.
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QThread>
#include <functional>
#include <memory>

#include "game_harness.h"
#include "qt/fonts.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "qt/qt_test_main.h"

// Readable failures: colours as r, g, b.
void PrintTo(const QColor& c, std::ostream* os) {
    *os << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

using namespace kestrum;
using kestrum::qt::MainWindow;
using kestrum::qt::QtPlatform;

namespace {

QColor fromModel(uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Pixels in a rectangle within a tolerance of a colour (text is anti-aliased).
int countNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 40) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) <=
                tolerance)
                ++n;
        }
    return n;
}

struct Shell {
    explicit Shell(const std::string& config = " 1 \r\n10\r\n") {
        folder.write("config.txt", config);
        platform = std::make_unique<QtPlatform>(folder.str());
        game = std::make_unique<Game>(*platform, *platform);
        window = std::make_unique<MainWindow>(*game, *platform);
        window->runLoadStep();
        platform->setTickInterval(0); // no ticks unless a test asks for them
    }
    QImage atRatio(qreal ratio) {
        window->syncFromModel();
        QImage image(QSize(Screen::kWidth, Screen::kHeight) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        window->render(&image);
        return image;
    }
    void key(QEvent::Type type, int key, quint32 scanCode = 0, bool autoRepeat = false,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(type, key, modifiers, scanCode, 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(window.get(), &event);
    }
    void type(Box box, const QString& text) {
        QLineEdit* edit = window->boxEdit(box);
        QKeyEvent press(QEvent::KeyPress, text[0].toUpper().unicode(), Qt::NoModifier, text);
        QApplication::sendEvent(edit, &press);
    }

    kestrum::testing::TempFolder folder;
    std::unique_ptr<QtPlatform> platform;
    std::unique_ptr<Game> game;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST(MainWindow, ShowsTheBattlefieldPixelForPixel) {
    Shell shell;
    Battlefield& field = shell.game->field();
    field.setPoint(100, 200, 0x0000FF); // red
    field.setPoint(101, 200, 0xFF0000); // blue
    field.jimen.visible = true;
    std::vector<uint32_t> expected;
    field.compose(expected);

    const QImage one = shell.window->grab().toImage();
    ASSERT_EQ(one.size(), QSize(792, 575));
    EXPECT_EQ(one.pixelColor(100, 200), QColor(255, 0, 0));
    EXPECT_EQ(one.pixelColor(101, 200), QColor(0, 0, 255));
    EXPECT_EQ(one.pixelColor(102, 200), QColor(131, 255, 255));
    const int row = field.jimen.top + field.jimen.height / 2;
    for (int x = 0; x < Battlefield::kWidth; x += 7)
        ASSERT_EQ(one.pixelColor(x, row), fromModel(expected[size_t(row) * Battlefield::kWidth + size_t(x)]))
            << x;

    // Doubled, every pixel becomes a crisp 2 x 2 block: nothing bleeds into its neighbours.
    const QImage two = shell.atRatio(2);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            EXPECT_EQ(two.pixelColor(200 + dx, 400 + dy), QColor(255, 0, 0));
            EXPECT_EQ(two.pixelColor(202 + dx, 400 + dy), QColor(0, 0, 255));
            EXPECT_EQ(two.pixelColor(204 + dx, 400 + dy), QColor(131, 255, 255));
        }
    for (int x = 0; x < Battlefield::kWidth; x += 7)
        ASSERT_EQ(two.pixelColor(2 * x + 1, 2 * row + 1),
                  fromModel(expected[size_t(row) * Battlefield::kWidth + size_t(x)]))
            << x;
}

TEST(MainWindow, DrawsLabelsAndPrintedTextsInTheModelsColours) {
    Shell shell;
    Screen& screen = shell.game->screen();
    const QRect scoreArea(336, 0, 40, 40);
    const QColor blue = fromModel(colour::digitBlue);
    EXPECT_EQ(countNear(shell.atRatio(1), scoreArea, blue), 0);

    screen.score[0].visible = true;
    screen.score[0].caption = "5";
    screen.score[0].foreColor = colour::digitBlue;
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = shell.atRatio(ratio);
        const QRect area(scoreArea.topLeft() * ratio, scoreArea.size() * ratio);
        EXPECT_GT(countNear(image, area, blue), 20 * ratio * ratio) << ratio;
    }

    // An input panel: white, with its captions in text colour.
    screen.establish[0].visible = true;
    const QImage panel = shell.atRatio(1);
    const QRect panelArea(8, 88, 193, 129);
    EXPECT_GT(countNear(panel, panelArea, Qt::white, 0), panelArea.width() * panelArea.height() / 2);
    EXPECT_GT(countNear(panel, panelArea, fromModel(colour::text), 120), 100);

    // The end-of-match texts.
    const QRect winner(272, 400, 40, 20);
    EXPECT_EQ(countNear(shell.atRatio(1), winner, Qt::black, 120), 0);
    shell.game->field().print(272, 400, "勝者", 12, colour::black);
    EXPECT_GT(countNear(shell.atRatio(1), winner, Qt::black, 120), 20);
}

TEST(MainWindow, EveryCaptionHasItsGlyphs) {
    const Screen s = makeDesignScreen();
    std::vector<std::string> captions = {s.sel1.caption, s.sel2.caption, s.sel3.caption, s.sel4.caption,
                                         s.sel5.caption, s.sel6.caption, s.label.caption};
    for (const Label* group : {s.normal, s.label1, s.label2, s.label3, s.changetitle})
        for (int i = 0; i < 6; ++i)
            captions.push_back(group[i].caption);
    captions.insert(captions.end(), {"ミサイル状況", "燃料残量", "(Kg)", "引き分け", "勝者", "敗者"});
    const QFontMetrics metrics(qt::gothicFont(9));
    for (const std::string& caption : captions)
        for (char32_t c : QString::fromStdString(caption).toUcs4())
            EXPECT_TRUE(metrics.inFontUcs4(c)) << caption << " U+" << std::hex << uint32_t(c);
}

TEST(MainWindow, PromptBoxesAndKeysDriveTheGame) {
    Shell shell;
    MainWindow& window = *shell.window;
    window.show();
    QLineEdit* selw = window.boxEdit(Box::Selw);
    ASSERT_TRUE(waitFor([&] { return selw->isVisible(); })) << "the start tick opens the prompts";
    EXPECT_EQ(selw->geometry(), QRect(472, 276, 17, 20));
    EXPECT_EQ(window.focusWidget(), selw);
    EXPECT_FALSE(window.boxEdit(Box::Againput)->isVisible());

    shell.type(Box::Selw, "3"); // not an answer: erased, asked again
    EXPECT_EQ(selw->text(), "");
    EXPECT_EQ(window.focusWidget(), selw);
    shell.type(Box::Selw, "1");
    EXPECT_EQ(window.focusWidget(), window.boxEdit(Box::Selr));
    shell.type(Box::Selr, "x"); // erased, and on to the sound question
    EXPECT_EQ(window.boxEdit(Box::Selr)->text(), "");
    EXPECT_EQ(window.focusWidget(), window.boxEdit(Box::Sels));
    shell.type(Box::Sels, "n");
    EXPECT_FALSE(selw->isVisible());
    EXPECT_EQ(window.focusWidget(), &window);

    // The match runs: a held D is held until its real release.
    shell.key(QEvent::KeyPress, Qt::Key_D);
    EXPECT_EQ(shell.game->state().step[0], 1);
    shell.key(QEvent::KeyRelease, Qt::Key_D, 0, true);
    EXPECT_EQ(shell.game->state().step[0], 1);
    shell.key(QEvent::KeyPress, Qt::Key_D, 0, true);
    EXPECT_EQ(shell.game->state().step[0], 1);
    shell.key(QEvent::KeyRelease, Qt::Key_D);
    EXPECT_EQ(shell.game->state().step[0], 0);

    // The second player's keypad 6 with NumLock off arrives as Right, but its scan code says 6.
    shell.key(QEvent::KeyPress, Qt::Key_Right, 77 + 8, false, Qt::KeypadModifier);
    EXPECT_EQ(shell.game->state().step[1], 1);
}

TEST(MainWindow, RepaintsOnlyWhenTheModelChanged) {
    Shell shell;
    MainWindow& window = *shell.window;
    window.show();
    ASSERT_TRUE(waitFor([&] { return window.boxEdit(Box::Selw)->isVisible(); }));
    int paints = 0;
    struct Counter : QObject {
        int* n;
        explicit Counter(int* count) : n(count) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++*n;
            return false;
        }
    } counter(&paints);
    window.installEventFilter(&counter);
    // Let the start-up paints settle (slow under the sanitizers): quiet for a quarter second.
    for (int quiet = 0; quiet < 25;) {
        paints = 0;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
        quiet = paints == 0 ? quiet + 1 : 0;
    }
    paints = 0;

    window.syncFromModel();
    QCoreApplication::processEvents();
    EXPECT_EQ(paints, 0);

    shell.game->field().setPoint(10, 10, colour::trail);
    window.syncFromModel();
    EXPECT_TRUE(waitFor([&] { return paints > 0; }));
}

TEST(MainWindow, NoAtTheRestartPromptEndsTheProgramAtOnce) {
    // Qt runs threads of its own: the dying copy is started afresh rather than forked.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Shell shell;
    Screen& screen = shell.game->screen();
    screen.again.visible = true;
    screen.focus = Focus::Againput;
    shell.window->syncFromModel();
    ASSERT_FALSE(shell.window->boxEdit(Box::Againput)->isHidden());
    // Outside the event loop the program ends right in the handler, with status 0.
    EXPECT_EXIT(shell.type(Box::Againput, "n"), ::testing::ExitedWithCode(0), "");
}

int main(int argc, char** argv) {
    return runQtTests(argc, argv);
}
