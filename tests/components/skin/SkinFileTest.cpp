// The default skin's contents and the engine's handling of bad skin files.

#include "../ComponentTestSupport.h"
#include "SkinTestSupport.h"

#include "components/skin/SvgSkin.h"
#include "components/skin/SvgSkinnedWindow.h"
#include "platform/Error.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <sys/stat.h>

using namespace skintest;

namespace {

const QString kDefaultSkin = QStringLiteral(TAMSEL_DEFAULT_SKIN);

enum class Facet { Button, Text, Bar, Panel };

struct Expected {
    const char* name;
    Facet facet;
};

const Expected kMainElements[] = {
    {"recorder", Facet::Button}, {"pause", Facet::Button},    {"stop", Facet::Button},
    {"add", Facet::Button},      {"play", Facet::Button},     {"list", Facet::Button},
    {"schedule", Facet::Button}, {"scource", Facet::Button},  {"set", Facet::Button},
    {"tag", Facet::Button},      {"help", Facet::Button},     {"min", Facet::Button},
    {"close", Facet::Button},    {"s_time", Facet::Text},     {"s_sizeson", Facet::Text},
    {"s_filename", Facet::Text}, {"s_mono", Facet::Text},     {"play_bar", Facet::Bar},
};

const Expected kListElements[] = {
    {"list_add", Facet::Button}, {"del", Facet::Button},  {"up", Facet::Button},
    {"down", Facet::Button},     {"join", Facet::Button}, {"stopj", Facet::Button},
    {"bar", Facet::Panel},       {"join_progress", Facet::Bar},
};

template <size_t N>
void expectElements(ISkinnedWindow* window, const Expected (&expected)[N], const QRect& bounds)
{
    for (const Expected& x : expected) {
        SCOPED_TRACE(x.name);
        ISkinObject* e = window->ElementByName(QString::fromLatin1(x.name));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->ElementName(), QString::fromLatin1(x.name));
        EXPECT_NE(e->CommonFacet(), nullptr);
        EXPECT_EQ(e->TextFacet() != nullptr, x.facet == Facet::Text);
        EXPECT_EQ(e->ScrollBarFacet() != nullptr, x.facet == Facet::Bar);
        // Nothing may be cut off by the window's edge.
        EXPECT_TRUE(bounds.contains(areaOf(e))) << areaOf(e).x() << "," << areaOf(e).y();
    }
}

class SkinFileTest : public ::testing::Test {
protected:
    QString write(const char* name, const QByteArray& content)
    {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        writeBytes(path, content);
        return path;
    }

    QTemporaryDir dir_;
    SvgSkin engine_;
};

QByteArray minimalSkin(const QByteArray& elements)
{
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:tamsel='urn:tamsel:skin' width='100' height='50'>"
           "<g id='f' tamsel:width='100' tamsel:height='50'>"
           + elements + "</g></svg>";
}

QByteArray nested(int depth, const QByteArray& inside)
{
    QByteArray open, close;
    for (int i = 0; i < depth; ++i) open += "<g>", close += "</g>";
    return open + inside + close;
}

}  // namespace

TEST_F(SkinFileTest, DefaultSkinHoldsEveryElementOfBothForms)
{
    engine_.OpenSkinFile(kDefaultSkin);
    QWidget main, list;
    engine_.PrepareWindow(&main);
    engine_.ApplyFormToWindow(&main, QStringLiteral("mp3rec"));
    engine_.PrepareWindow(&list);
    engine_.ApplyFormToWindow(&list, QStringLiteral("listwin"));

    EXPECT_TRUE(main.windowFlags().testFlag(Qt::FramelessWindowHint));
    // Title and button hints kept beside it make window managers draw a title bar.
    QWidget framed(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    engine_.PrepareWindow(&framed);
    EXPECT_EQ(framed.windowFlags(), Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    ISkinnedWindow* m = engine_.SkinnedWindowOf(&main);
    ISkinnedWindow* l = engine_.SkinnedWindowOf(&list);
    expectElements(m, kMainElements, main.rect());
    expectElements(l, kListElements, list.rect());

    EXPECT_EQ(m->ElementByName(QStringLiteral("join")), nullptr);
    EXPECT_EQ(l->ElementByName(QStringLiteral("recorder")), nullptr);
    EXPECT_EQ(m->ElementByName(QStringLiteral("Recorder")), nullptr);
    // Artwork-only faces are found by name but take no part in the mouse.
    auto* face = dynamic_cast<SvgSkinElement*>(m->ElementByName(QStringLiteral("mp3rec.face")));
    ASSERT_NE(face, nullptr);
    EXPECT_FALSE(face->interactive());
}

TEST_F(SkinFileTest, ReapplyingAFormOrOpeningAnotherFileKeepsTheBoundElements)
{
    engine_.OpenSkinFile(kDefaultSkin);
    QWidget main;
    engine_.ApplyFormToWindow(&main, QStringLiteral("mp3rec"));
    ISkinObject* time = engine_.SkinnedWindowOf(&main)->ElementByName(QStringLiteral("s_time"));
    const QImage before = main.grab().toImage();
    main.hide();
    engine_.PrepareWindow(&main);
    engine_.ApplyFormToWindow(&main, QStringLiteral("mp3rec"));
    EXPECT_EQ(engine_.SkinnedWindowOf(&main)->ElementByName(QStringLiteral("s_time")), time);

    engine_.OpenSkinFile(write("other.svg", minimalSkin("<g id='b' tamsel:kind='button'><rect id='b.normal' width='9' height='9'/></g>")));
    EXPECT_EQ(engine_.SkinnedWindowOf(&main)->ElementByName(QStringLiteral("s_time")), time);
    EXPECT_EQ(main.grab().toImage(), before);
}

TEST_F(SkinFileTest, BadSkinFilesRaiseAnErrorNamingTheFile)
{
    struct Case {
        const char* file;
        QByteArray content;
        const char* reason;
    };
    const Case cases[] = {
        {"text.dll", "MZ this is a program, not a picture", "not well-formed XML"},
        {"empty.dll", "", "empty"},
        {"html.dll", "<html><body/></html>", "not an SVG document"},
        {"cut.dll", "<svg xmlns='http://www.w3.org/2000/svg'><g id='f'", "not well-formed XML"},
        {"noforms.dll", "<svg xmlns='http://www.w3.org/2000/svg'><rect width='5' height='5'/></svg>", "no skin form"},
        {"kind.dll", minimalSkin("<g id='x' tamsel:kind='knob'/>"), "unknown kind \"knob\""},
        {"nolook.dll", minimalSkin("<g id='x' tamsel:kind='button'><rect width='5' height='5'/></g>"), "no \"x.normal\" look"},
        {"twice.dll", minimalSkin("<g id='x' tamsel:kind='face'/><g id='x' tamsel:kind='face'/>"), "appears twice"},
        {"size.dll", "<svg xmlns='http://www.w3.org/2000/svg' xmlns:tamsel='urn:tamsel:skin'><g id='f' tamsel:width='-4' tamsel:height='9'/></svg>", "positive"},
        {"colour.dll", minimalSkin("<g id='t' tamsel:kind='text' tamsel:color='blurple'/>"), "bad tamsel:color"},
        {"turned.dll", "<svg xmlns='http://www.w3.org/2000/svg' xmlns:tamsel='urn:tamsel:skin'><g id='f' tamsel:width='9' tamsel:height='9' transform='rotate(30)'/></svg>", "translate"},
        {"deep.dll", minimalSkin(nested(14000, "")), "nested more than 64"},
        {"deepart.dll", "<svg xmlns='http://www.w3.org/2000/svg'>" + nested(100, "") + "</svg>", "nested more than 64"},
        {"key.dll", minimalSkin("<g id='p' tamsel:kind='panel' tamsel:keys='Ctrl+Pling'/>"), "bad key \"Ctrl+Pling\""},
        {"twokeys.dll", minimalSkin("<g id='p' tamsel:kind='panel' tamsel:keys='F2'/><g id='q' tamsel:kind='panel' tamsel:keys='F3; F2'/>"),
         "key F2 is given to both \"p\" and \"q\""},
        {"formkey.dll", "<svg xmlns='http://www.w3.org/2000/svg' xmlns:tamsel='urn:tamsel:skin'><g id='f' tamsel:width='9' tamsel:height='9' tamsel:keys='Return=gone'/></svg>",
         "gives the key Return to \"gone\", which is no element"},
        {"order.dll", "<svg xmlns='http://www.w3.org/2000/svg' xmlns:tamsel='urn:tamsel:skin'><g id='f' tamsel:width='9' tamsel:height='9' tamsel:focus-order='art'><g id='art' tamsel:kind='face'/></g></svg>",
         "gives the focus to \"art\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = write(c.file, c.content);
        const QString message = errorOf([&] { engine_.OpenSkinFile(path); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot open the skin file ") + path)) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.reason))) << message.toStdString();
    }

    const QString missing = dir_.filePath(QStringLiteral("mp3enc.dll"));
    const QString message = errorOf([&] { engine_.OpenSkinFile(missing); });
    EXPECT_TRUE(message.contains(missing)) << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String("does not exist"))) << message.toStdString();
}

TEST_F(SkinFileTest, AFormTheFileLacksOrAMissingFileIsAnErrorOnApply)
{
    QWidget window;
    EXPECT_TRUE(errorOf([&] { engine_.ApplyFormToWindow(&window, QStringLiteral("mp3rec")); })
                    .contains(QLatin1String("no skin file is open")));
    EXPECT_FALSE(errorOf([&] { engine_.SkinnedWindowOf(&window); }).isEmpty());

    const QString path = write("mp3enc.dll", minimalSkin(""));
    engine_.OpenSkinFile(path);
    const QString message = errorOf([&] { engine_.ApplyFormToWindow(&window, QStringLiteral("listwin")); });
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String("\"listwin\""))) << message.toStdString();

    // A failed open leaves the engine with the file it had.
    EXPECT_THROW(engine_.OpenSkinFile(dir_.filePath(QStringLiteral("gone.dll"))), TamselError);
    EXPECT_NO_THROW(engine_.ApplyFormToWindow(&window, QStringLiteral("f")));
    EXPECT_EQ(window.size(), QSize(100, 50));
}

TEST_F(SkinFileTest, OnlyARegularFileOfSaneSizeIsRead)
{
    const QString pipe = dir_.filePath(QStringLiteral("pipe.dll"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString zero = dir_.filePath(QStringLiteral("zero.dll"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString huge = write("huge.dll", minimalSkin(""));
    ASSERT_TRUE(QFile::resize(huge, 17 << 20));  // sparse, so cheap
    const struct {
        QString path;
        const char* reason;
    } cases[] = {{pipe, "is a pipe"}, {zero, "is a device"}, {dir_.path(), "is a folder"}, {huge, "larger than 16 MiB"}};
    for (const auto& c : cases) {
        const QString message = errorOf([&] { engine_.OpenSkinFile(c.path); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot open the skin file ") + c.path)) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.reason))) << message.toStdString();
    }
}

// Geometry far off the window is clamped, so no window coordinate overflows.
TEST_F(SkinFileTest, HugeGeometryIsClampedAndNestedElementsAreFound)
{
    engine_.OpenSkinFile(write("far.dll", minimalSkin(
        "<g id='far' tamsel:kind='text'><rect x='-2147483648' y='-2147483648' width='4294967295' height='1e30'/></g>"
        "<g><g><g id='near' tamsel:kind='panel'><rect x='5' y='6' width='7' height='8'/></g></g></g>")));
    QWidget window;
    engine_.ApplyFormToWindow(&window, QStringLiteral("f"));
    window.show();
    ISkinnedWindow* skinned = engine_.SkinnedWindowOf(&window);
    auto* far = dynamic_cast<SvgSkinElement*>(skinned->ElementByName(QStringLiteral("far")));
    ASSERT_NE(far, nullptr);
    const QRectF sane(-32767, -32767, 2 * 32767, 2 * 32767);
    EXPECT_EQ(far->area(), sane);
    far->SetElementText(QStringLiteral("redrawn"));
    far->RedrawElement();
    window.repaint();
    EXPECT_EQ(areaOf(skinned->ElementByName(QStringLiteral("near"))), QRect(5, 6, 7, 8));
}

// The help page tells every key the skin gives.
TEST_F(SkinFileTest, TheHelpPageNamesEveryShortcutOfTheDefaultSkin)
{
    const QString help = QString::fromUtf8(readBytes(QStringLiteral(TAMSEL_HELP_PAGE)));
    engine_.OpenSkinFile(kDefaultSkin);
    QWidget main, list;
    engine_.ApplyFormToWindow(&main, QStringLiteral("mp3rec"));
    engine_.ApplyFormToWindow(&list, QStringLiteral("listwin"));
    int keys = 0;
    const auto expectShown = [&](const QKeySequence& k, const QString& element) {
        ++keys;
        const QString shown = QStringLiteral("<kbd>%1</kbd>").arg(k.toString().toHtmlEscaped());
        EXPECT_TRUE(help.contains(shown)) << shown.toStdString() << " for " << element.toStdString();
    };
    for (QWidget* w : {&main, &list}) {
        const SkinFormSpec* form = dynamic_cast<SvgSkinnedWindow*>(engine_.SkinnedWindowOf(w))->form();
        for (const SkinElementSpec& e : form->elements)
            for (const QKeySequence& k : e.keys) expectShown(k, e.name);
        for (const SkinFormSpec::Key& k : form->keys) expectShown(k.key, k.element);
    }
    EXPECT_EQ(keys, 12);
}
