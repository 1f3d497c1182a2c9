// The main window offscreen: the battlefield pixel for pixel, a label's colour and its kept text, the
// prompts and keys.
#include "game_harness.h"
#include "qt/fonts.h"
#include "qt/label_text.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "qt/qt_test_main.h"
#include "qt/settings_dialog.h"
#include "qt/window_fit.h"

using namespace kestrum;

static bool waitFor(const std::function<bool()>& done) {
    for (QDeadlineTimer deadline(2000); !done() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

static void send(QWidget* to, const QString& text, QEvent::Type type = QEvent::KeyPress, int key = 0,
                 quint32 scanCode = 0, Qt::KeyboardModifiers modifiers = {}, bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, scanCode, 0, 0, text, autoRepeat);
    QApplication::sendEvent(to, &event);
}

struct Shell {
    Shell() {
        folder.write("config.txt", " 1 \r\n10\r\n");
        window.runLoadStep();
        platform.setTickInterval(0); // no ticks unless a test asks for them
    }
    QImage atRatio(qreal ratio) {
        window.syncFromModel();
        QImage image(QSize(kDesignWidth, kDesignHeight) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        window.render(&image);
        return image;
    }
    kestrum::testing::TempFolder folder;
    qt::QtPlatform platform{folder.str()};
    Game game{platform, platform};
    qt::MainWindow window{game, platform};
};

TEST(MainWindow, ShowsTheBattlefieldPixelForPixelAndALabelInItsColour) {
    Shell shell;
    Battlefield& f = shell.game.field();
    f.groundStrip.visible = true;
    auto model = [&] { // the model's 0x00BBGGRR words are the bytes R, G, B, 0 in (little-endian) memory
        std::vector<uint32_t> words;
        f.compose(words);
        return QImage(reinterpret_cast<const uchar*>(words.data()), 792, 575, QImage::Format_RGBX8888)
            .convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_TRUE(shell.atRatio(1) == model());
    EXPECT_TRUE(shell.atRatio(2) == model().scaled(QSize(792, 575) * 2)); // each pixel a crisp 2 x 2 block
    // Trail points drawn and erased between frames: only they are redrawn, and the frame still matches.
    for (int x : {3, 400, 791})
        f.setPoint(x, 560, colour::trail);
    f.setPoint(400, 560, colour::screenCyan);
    EXPECT_TRUE(shell.atRatio(2) == model().scaled(QSize(792, 575) * 2));
    shell.game.screen().score[0].visible = true;
    shell.game.screen().score[0].foreColor = 0xFF0003; // shown as rgb(3, 0, 255)
    const QImage score = shell.atRatio(1).copy(336, 0, 40, 40);
    const auto* pixels = reinterpret_cast<const QRgb*>(score.constBits());
    EXPECT_GT(std::count(pixels, pixels + 40 * 40, qRgb(3, 0, 255)), 20);
}

TEST(MainWindow, ALabelCopiedFromItsKeptPixelsShowsWhatDrawingItShows) {
    // A label drawn alike twice is copied from then on: the first frame draws every label, the next
    // ones copy those whose ink stays in their box ("(m)" reaches out of it and is drawn each time).
    for (int ratio : {1, 2}) {
        Shell shell;
        shell.game.startTick();
        for (auto [box, text] : {std::pair{Box::Mode, "1"}, {Box::Air, "n"}, {Box::Sound, "n"}})
            shell.game.setBoxText(box, text);
        const QImage drawn = shell.atRatio(ratio);
        EXPECT_TRUE(shell.atRatio(ratio) == drawn && shell.atRatio(ratio) == drawn) << "ratio " << ratio;
    }
}

TEST(MainWindow, ALabelsKeptTextDrawsAndMeasuresExactlyAsQtsOwnTextDrawing) {
    // Captions of every kind the labels show, in every font and alignment they use, at odd and even
    // widths and at both pixel ratios.
    const char* captions[] = {"0",    "12",  "-3.5", "123.45", "砲弾状況", "どちらの戦闘モードか？",
                              "(Kg)", "m/s", " a b "};
    const Font fonts[] = {
        {}, {Face::Gothic, 8.25, true}, {Face::Gothic, 12, false}, {Face::Gothic, 27.75, true}};
    constexpr int kFlags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    qt::LabelText text;
    for (int ratio : {1, 2})
        for (const Font& font : fonts)
            for (const char* caption : captions) {
                text.set(caption, font);
                const QString q = QString::fromUtf8(caption);
                const QFontMetrics metrics(qt::modelFont(font));
                ASSERT_EQ(text.advance(), metrics.horizontalAdvance(q)) << caption;
                for (Qt::Alignment align : {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter})
                    for (const QRect box : {QRect(7, 5, 40, 20), QRect(10, 6, 57, 31)}) {
                        ASSERT_EQ(text.extent(box, align), metrics.boundingRect(box, int(align) | kFlags, q))
                            << caption;
                        QImage want(160 * ratio, 50 * ratio, QImage::Format_RGB32), got = want;
                        for (QImage* image : {&want, &got}) {
                            image->setDevicePixelRatio(ratio);
                            image->fill(Qt::white);
                            QPainter p(image);
                            p.setPen(QColor(200, 30, 60));
                            p.setFont(qt::modelFont(font));
                            if (image == &want)
                                p.drawText(box, int(align) | kFlags, q);
                            else
                                text.draw(p, box, align);
                        }
                        ASSERT_TRUE(got == want)
                            << caption << " at ratio " << ratio << " aligned " << int(align);
                    }
            }
}

TEST(MainWindow, TheOneInstalledGameFaceIsAskedForAloneAndDrawsAsTheWholeListWould) {
    const QStringList wanted{"A", "B", "C"};
    const auto installed = [](QStringList names) {
        return [names](const QString& family) { return names.contains(family); };
    };
    EXPECT_EQ(qt::gothicFamilies(wanted, installed({"B", "X"})), QStringList{"B"});
    EXPECT_EQ(qt::gothicFamilies(wanted, installed({"C"})), QStringList{"C"});
    EXPECT_EQ(qt::gothicFamilies(wanted, installed({"A", "C"})), wanted); // the others still count
    EXPECT_EQ(qt::gothicFamilies(wanted, installed({})), wanted);

    // What this machine draws: every kind of character the game shows, and one the face lacks,
    // which still falls back to another face.
    const QString text = QStringLiteral("どちらの戦闘モードか？ ＡＢ（Kg）m/s -12.5 ♔");
    for (bool bold : {false, true}) {
        QFont list;
        list.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                          QStringLiteral("Noto Sans CJK JP")});
        list.setPixelSize(qt::pixelSize(12));
        list.setBold(bold);
        QFont alone = list;
        alone.setStyleStrategy(QFont::NoFontMerging);
        ASSERT_FALSE(QFontMetrics(alone).inFontUcs4(U'♔'));
        QImage want(400, 30, QImage::Format_RGB32), got = want;
        for (QImage* image : {&want, &got}) {
            image->fill(Qt::white);
            QPainter p(image);
            p.setFont(image == &want ? list : qt::gothicFont(12, bold));
            p.drawText(QPointF(3.25, 22), text);
        }
        EXPECT_TRUE(got == want) << "bold " << bold;
    }
}

TEST(MainWindow, NoToTheRestartPromptEndsTheProgramAtOnce) {
    Shell shell;
    shell.window.show();
    shell.game.screen().restartPanel.visible = true, shell.game.screen().focus = Box::Restart;
    shell.window.syncFromModel();
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // Qt runs threads of its own: no forking
    EXPECT_EXIT(send(shell.window.boxEdit(Box::Restart), "n"), ::testing::ExitedWithCode(0), "");
}

TEST(FilePlaces, TheProgramFolderIsTheBinarysAndTheDialogSavesWhereTheGameReads) {
    kestrum::testing::TempFolder elsewhere;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.str()); // started from another folder
    const std::string programFolder = qt::QtPlatform().programFolder();
    std::filesystem::current_path(before);
    EXPECT_EQ(programFolder, QCoreApplication::applicationDirPath().toStdString());

    Shell shell; // an installed game: the settings in the user's folder, not beside the program
    kestrum::testing::TempFolder user;
    user.write("config.txt", " 0 \r\n25\r\n");
    shell.game.match().settingsPath = user.file("config.txt");
    QTimer saver;
    QObject::connect(&saver, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<qt::SettingsDialog*>(QApplication::activeModalWidget()))
            dialog->periodBox()->setText("30"), dialog->saveButton()->click();
    });
    saver.start(5);
    EXPECT_TRUE(shell.platform.showSettingsDialog(SettingsOccasion::DuringMatch));
    EXPECT_EQ(kestrum::testing::slurp(user.file("config.txt")) +
                  kestrum::testing::slurp(shell.folder.file("config.txt")),
              " 0 \r\n30\r\n 1 \r\n10\r\n");
}

TEST(WindowFit, ShrinksOnlyWhatDoesNotFitAndKeepsProportions) {
    const QSize design(792, 575);
    // Exactly the screen; with room; the width limits; 1920 x 1080 at scale 2; every side of the frame
    // counts, and each only once; a screen without measures changes nothing.
    // clang-format off
    const std::tuple<QSize, QMargins, double> cases[] = {
        {{792, 575}, {}, 1.0}, {{1024, 768}, {4, 30, 4, 4}, 1.0}, {{640, 480}, {}, 640.0 / 792},
        {{960, 540}, {}, 540.0 / 575}, {{800, 605}, {10, 0, 0, 0}, 790.0 / 792}, {{800, 605}, {0, 0, 10, 0}, 790.0 / 792},
        {{800, 605}, {0, 31, 0, 0}, 574.0 / 575}, {{800, 605}, {0, 0, 0, 31}, 574.0 / 575},
        {{800, 605}, {4, 15, 4, 15}, 1.0}, {{0, 0}, {}, 1.0}};
    // clang-format on
    for (const auto& [screen, frame, scale] : cases)
        EXPECT_DOUBLE_EQ(qt::fitScale(design, screen, frame), scale)
            << screen.width() << " " << frame.left() << frame.top() << frame.right() << frame.bottom();
    EXPECT_EQ(qt::scaledSize(design, 640.0 / 792), QSize(640, 464));
    EXPECT_EQ(qt::scaledSize(design, 540.0 / 575), QSize(743, 540));
    EXPECT_EQ(qt::scaledSize(design, 1.0), design);
}

TEST(WindowFit, AShrunkWindowShowsTheWholeBattlefieldAndPlacesTheBoxesToMatch) {
    Shell shell;
    shell.game.field().groundStrip = {&shell.game.field().groundStripBitmap,
                                      true,
                                      0,
                                      575 - 15,
                                      792,
                                      15}; // a strip along the whole bottom edge
    qt::MainWindow& window = shell.window;
    EXPECT_EQ(window.size(), QSize(792, 575)) << "the offscreen screen is large enough";
    const QRect designBox = window.boxEdit(Box::Sound)->geometry();

    window.setContentScale(0.5);
    EXPECT_EQ(window.size(), QSize(396, 287));
    const QRect box = window.boxEdit(Box::Sound)->geometry();
    EXPECT_LE((box.topLeft() * 2 - designBox.topLeft()).manhattanLength() +
                  abs(box.width() * 2 - designBox.width()),
              6);
    QImage image(window.size(), QImage::Format_RGB32);
    window.syncFromModel();
    window.render(&image);
    // The ground strip along the whole bottom edge, sky above it: nothing cut off.
    EXPECT_EQ(image.pixel(200, 100), qRgb(0x83, 0xFF, 0xFF));
    for (int x = 0; x < image.width(); ++x)
        ASSERT_NE(image.pixel(x, image.height() - 2), image.pixel(200, 100)) << x;

    window.setContentScale(1.0);
    EXPECT_EQ(window.size(), QSize(792, 575));
    EXPECT_EQ(window.boxEdit(Box::Sound)->geometry(), designBox);
}

TEST(MainWindow, PromptBoxesAndKeysDriveTheGameAndHeldKeysEndWhenTheWindowLosesTheKeyboard) {
    Shell shell;
    qt::MainWindow& window = shell.window;
    window.show();
    EXPECT_TRUE(window.boxEdit(Box::Mode)->isVisible()) << "the first frame shows the first prompt";
    window.activateWindow();
    ASSERT_TRUE(waitFor([&] { return window.boxEdit(Box::Mode)->isVisible() && window.isActiveWindow(); }));
    send(window.boxEdit(Box::Mode), "1");
    EXPECT_EQ(window.focusWidget(), window.boxEdit(Box::Air));
    send(window.boxEdit(Box::Air), "n"), send(window.boxEdit(Box::Sound), "n");
    EXPECT_EQ(window.focusWidget(), &window);
    auto step = [&](int p) { return shell.game.match().players[p].panel.step; };
    send(&window, {}, QEvent::KeyPress, Qt::Key_D);
    send(&window, {}, QEvent::KeyRelease, Qt::Key_D, 0, {}, true); // auto-repeat: still held
    EXPECT_EQ(step(0), 1);
    send(&window, {}, QEvent::KeyRelease, Qt::Key_D);
    EXPECT_EQ(step(0), 0);
    auto holdBoth = [&] {
        send(&window, {}, QEvent::KeyPress, Qt::Key_D);
        send(&window, {}, QEvent::KeyPress, Qt::Key_Right, 85, Qt::KeypadModifier); // keypad 6, NumLock off
        return step(0) == 1 && step(1) == 1;
    };

    ASSERT_TRUE(holdBoth());
    QWidget other; // another window takes the keyboard; the key-ups go there
    other.show();
    other.activateWindow();
    EXPECT_TRUE(waitFor([&] { return !window.isActiveWindow(); }));
    EXPECT_TRUE(step(0) == 0 && step(1) == 0);

    other.hide();
    window.activateWindow();
    ASSERT_TRUE(waitFor([&] { return window.isActiveWindow(); }));
    ASSERT_TRUE(holdBoth());
    window.showMinimized();
    EXPECT_TRUE(step(0) == 0 && step(1) == 0);
}

TEST(MainWindow, TheTickTimerSleepsThroughQuietTicksAndRunsThemBeforeTheNextKey) {
    Shell shell;
    qt::MainWindow& window = shell.window;
    window.show();
    ASSERT_TRUE(waitFor([&] { return window.boxEdit(Box::Mode)->isVisible(); }));
    for (auto [box, text] : {std::pair{Box::Mode, "1"}, {Box::Air, "n"}, {Box::Sound, "n"}})
        send(window.boxEdit(box), text); // the timer then ticks every 10 ms
    int ticks = 0;
    QObject::connect(&shell.platform.tickTimer(), &qt::TickTimer::timeout, [&] { ++ticks; });
    // Nothing flies and no key is held: once both panels have come round, the timer rests.
    ASSERT_TRUE(waitFor([&] { return ticks > 40; }));
    const int before = ticks;
    QThread::msleep(120); // twelve ticks come due and nothing runs them
    send(&window, {}, QEvent::KeyPress, Qt::Key_S);
    EXPECT_GE(ticks - before, 11) << "the ticks due did not run before the key";
    EXPECT_EQ(shell.game.match().players[0].panel.cursor, 1);
}

TEST(MainWindow, ClosingTheFirstRunDialogEndsTheProgramBeforeTheWindowShows) {
    kestrum::testing::TempFolder folder; // no config.txt
    auto start = [&] {
        qt::QtPlatform platform{folder.str()};
        Game game{platform, platform};
        qt::MainWindow window{game, platform};
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close(); // the close box
        });
        closer.start(5);
        window.runLoadStep();
        std::_Exit(3); // not reached: the load step ends the program
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(start(), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(std::filesystem::exists(folder.file("config.txt")));
}
