// Every caption of the window fits its control: the text of each button,
// label, check box, radio item and group box title with the decoration the
// widget's style gives it (button margins, indicator, title margins) is not
// wider or taller than the control, and the control lies inside its parent.
// Measured with the faces a Debian desktop gives the window, at the scale
// ctest runs this executable with (QT_SCALE_FACTOR: 1 and 1.5), on every
// page as it starts, with the controls start-up hides shown, in the
// alternate module layout and with the captions that switch buttons take.
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <sstream>

#include "gui/GuiSupport.h"
#include "pages/MainPage.h"
#include "pages/Page.h"

namespace kt::test {
namespace {

// The text's own extent as the style lays a caption out.
QSize TextSize(const QWidget* w, const QString& text) {
    return w->style()->itemTextRect(w->fontMetrics(), QRect(), Qt::TextShowMnemonic, false, text).size();
}

// The style's size for contents of a width it adds its margins to, less
// that width: the margins alone, without the smallest size some styles give
// a control whatever its caption.
QSize AroundText(const QWidget* w, QStyle::ContentsType type, const QStyleOption& opt, QSize text) {
    constexpr int kWide = 1000;
    const QSize outer = w->style()->sizeFromContents(type, &opt, text + QSize(kWide, 0), w);
    return outer - QSize(kWide, 0);
}

struct Need {
    QString caption;
    QSize size;  // empty: nothing to measure
};

// What the control's caption needs, with the style's decoration.
Need Needs(const QWidget* w) {
    if (auto* b = qobject_cast<const QPushButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        if (b->isFlat()) opt.features |= QStyleOptionButton::Flat;
        if (b->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
        return {b->text(), AroundText(b, QStyle::CT_PushButton, opt, TextSize(b, b->text()))};
    }
    if (auto* c = qobject_cast<const QCheckBox*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(c);
        opt.text = c->text();
        return {c->text(),
                c->style()->sizeFromContents(QStyle::CT_CheckBox, &opt, TextSize(c, c->text()), c)};
    }
    if (auto* r = qobject_cast<const QRadioButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(r);
        opt.text = r->text();
        return {r->text(),
                r->style()->sizeFromContents(QStyle::CT_RadioButton, &opt, TextSize(r, r->text()), r)};
    }
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty()) return {};
        // A wrapping label fits when its lines at its width fit its height.
        if (l->wordWrap()) return {l->text(), QSize(l->width(), l->heightForWidth(l->width()))};
        return {l->text(), l->sizeHint()};
    }
    if (auto* g = qobject_cast<const QGroupBox*>(w)) {
        if (g->title().isEmpty()) return {};
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.lineWidth = 1;
        opt.textAlignment = g->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        if (g->isFlat()) opt.features |= QStyleOptionFrame::Flat;
        // The title as QGroupBox measures it, with a blank after it.
        const QSize text(g->fontMetrics().horizontalAdvance(g->title() + u' '), g->fontMetrics().height());
        QSize need = g->style()->sizeFromContents(QStyle::CT_GroupBox, &opt, text, g);
        // The title's own place lies inside the box too.
        const QRect label =
            g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        return {g->title(), need.expandedTo(QSize(label.right() + 1, label.bottom() + 1))};
    }
    // A read-only edit the program writes into (the status field, values):
    // the text within the place the edit draws its text in.
    if (auto* e = qobject_cast<const QLineEdit*>(w)) {
        if (!e->isReadOnly() || e->text().trimmed().isEmpty()) return {};
        QStyleOptionFrame opt;
        opt.initFrom(e);
        opt.rect = e->rect();
        opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
        opt.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
        QRect area = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e) - e->textMargins();
        // QLineEdit's own margins around its text: 2 each side, 1 above and below.
        area.adjust(2, 1, -2, -1);
        const QSize text(e->fontMetrics().horizontalAdvance(e->text()), e->fontMetrics().height());
        return {e->text(), e->size() + text - area.size()};
    }
    return {};
}

// The title of a group box, in the box's coordinates; empty without one.
QRect TitleOf(const QWidget* w) {
    auto* g = qobject_cast<const QGroupBox*>(w);
    if (!g || g->title().isEmpty()) return {};
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.lineWidth = 1;
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
}

// `w` lies inside `frame` (in the frame's coordinates) and clear of its title.
bool Within(const QRect& w, const QWidget* frame) {
    return frame->rect().contains(w) && !TitleOf(frame).intersects(w);
}

// A control's place as its parent shows it.
bool InsideParent(const QWidget* w) {
    return !w->parentWidget() || Within(w->geometry(), w->parentWidget());
}

// `top` lies on the frame or group box `frame` built before it.
bool LiesOn(const QWidget* top, const QWidget* frame) {
    if (!qobject_cast<const QFrame*>(frame) && !qobject_cast<const QGroupBox*>(frame)) return false;
    return Within(top->geometry().translated(-frame->pos()), frame);
}

std::string Rect(const QRect& r) {
    std::ostringstream out;
    out << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
    return out.str();
}

std::string Describe(const QWidget* scope, const QWidget* w) {
    return scope->objectName().toStdString() + "/" + w->objectName().toStdString() + " " +
           w->metaObject()->className();
}

// The controls the overlap check sees: everything an operator reads or
// uses, not the parts of composite widgets (a memo's scroll bars).
bool IsControl(const QWidget* w) {
    if (qobject_cast<const QAbstractScrollArea*>(w->parentWidget())) return false;
    if (w->parentWidget() && qobject_cast<const QAbstractScrollArea*>(w->parentWidget()->parentWidget()))
        return false;
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QLabel*>(w) || qobject_cast<const QGroupBox*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
           qobject_cast<const QFrame*>(w);
}

// Controls that lie over others by design: the modem identification memo
// over the three identification edits, the empty panel over the level
// groups of analog inputs 5..8 in the alternate layout.
bool OverlaysByDesign(const QWidget* w) {
    return w->objectName() == "Memo5" || w->objectName() == "Panel1";
}

class CaptionFit : public WindowTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        appFont = QApplication::font();
    }
    void TearDown() override {
        WindowTest::TearDown();
        QApplication::setFont(appFont);
    }

    // The controls of one page, or the window's own below the pages.
    std::vector<QWidget*> Scopes() const {
        std::vector<QWidget*> scopes;
        for (auto* page : form->findChildren<app::Page*>())
            scopes.push_back(page);
        scopes.push_back(form->centralWidget());
        return scopes;
    }

    // The controls of a scope: a page's, or the window's outside the pages.
    std::vector<QWidget*> ControlsOf(QWidget* scope) const {
        std::vector<QWidget*> controls;
        for (QWidget* w : scope->findChildren<QWidget*>()) {
            if (scope == form->centralWidget() && form->PageControl1->isAncestorOf(w)) continue;
            if (w == form->PageControl1) continue;
            controls.push_back(w);
        }
        return controls;
    }

    // The scope on screen with its layouts done: a page is made the current one.
    void ShowScope(QWidget* scope) {
        for (int i = 0; i < form->PageControl1->count(); ++i)
            if (form->PageControl1->widget(i)->isAncestorOf(scope) || form->PageControl1->widget(i) == scope)
                form->PageControl1->setCurrentIndex(i);
        QApplication::processEvents();
        for (QWidget* w : scope->findChildren<QWidget*>())
            if (w->layout()) w->layout()->activate();
    }

    // Every caption fits, and every control lies inside its parent; hidden
    // controls are measured as they would show. Returns the captions measured.
    int CheckFits(QWidget* scope) {
        std::vector<QWidget*> hidden;
        for (QWidget* w : ControlsOf(scope))
            if (w->isHidden()) hidden.push_back(w);
        for (QWidget* w : hidden)
            w->show();
        ShowScope(scope);
        int measured = 0;
        for (QWidget* w : ControlsOf(scope)) {
            if (IsControl(w)) {
                EXPECT_TRUE(InsideParent(w)) << Describe(scope, w) << " at " << Rect(w->geometry())
                                             << " reaches outside its parent of "
                                             << Rect(w->parentWidget()->rect()) << " or over its title";
            }
            const Need need = Needs(w);
            if (need.size.isEmpty()) continue;
            ++measured;
            const QSize has = w->size();
            EXPECT_TRUE(need.size.width() <= has.width() && need.size.height() <= has.height())
                << Describe(scope, w) << " \"" << need.caption.toStdString() << "\" needs "
                << need.size.width() << "x" << need.size.height() << ", has " << has.width() << "x"
                << has.height();
        }
        for (QWidget* w : hidden)
            w->hide();
        return measured;
    }

    // No control that shows lies over another that shows beside it: a
    // control widened into its neighbour would hide the neighbour's text.
    void CheckOverlaps(QWidget* scope) {
        ShowScope(scope);
        std::vector<QWidget*> shown;
        for (QWidget* w : ControlsOf(scope))
            if (IsControl(w) && w->isVisibleTo(scope) && !OverlaysByDesign(w)) shown.push_back(w);
        for (size_t i = 0; i < shown.size(); ++i)
            for (size_t j = i + 1; j < shown.size(); ++j) {
                QWidget* a = shown[i];
                QWidget* b = shown[j];
                if (a->parentWidget() != b->parentWidget()) continue;
                // Controls on a frame built before them (the level groups) lie
                // inside it.
                if (LiesOn(b, a) || LiesOn(a, b)) continue;
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << Describe(scope, a) << " at " << Rect(a->geometry()) << " overlaps "
                    << b->objectName().toStdString() << " at " << Rect(b->geometry());
            }
    }

    int CheckAll(const std::string& state) {
        SCOPED_TRACE(state);
        int measured = 0;
        for (QWidget* scope : Scopes()) {
            CheckOverlaps(scope);
            measured += CheckFits(scope);
        }
        return measured;
    }

    QFont appFont;
};

TEST_P(CaptionFit, EveryCaptionOfEveryPage) {
    const QString family = QString::fromUtf8(GetParam());
    ASSERT_TRUE(QFontDatabase::families().contains(family))
        << family.toStdString() << " is not installed (scripts/setup.sh installs it)";
    QApplication::setFont(QFont(family, 9));
    auto& f = Start();
    f.show();
    QApplication::processEvents();

    // What is measured: the face, its size, the scale.
    const QFontInfo face(f.mainPage->font());
    ASSERT_EQ(face.family(), family);
    ASSERT_EQ(face.pointSize(), 8);
    const double scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                             ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                             : 1.0;
    ASSERT_DOUBLE_EQ(f.devicePixelRatio(), scale);
    std::printf("measuring with %s %d pt (%d px), style %s, scale %.2f\n", face.family().toUtf8().constData(),
                face.pointSize(), face.pixelSize(), f.style()->name().toUtf8().constData(), scale);

    // The tabs: all in one row, each as wide as its caption.
    QTabBar* tabs = f.PageControl1->tabBar();
    EXPECT_LE(tabs->sizeHint().width(), f.PageControl1->width());
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i))) << tabs->tabText(i).toStdString();
        EXPECT_GE(tabs->tabRect(i).width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)))
            << tabs->tabText(i).toStdString();
    }

    EXPECT_GT(CheckAll("at start"), 400);

    f.ApplyAlternateModule(true);
    CheckAll("alternate layout");
    f.ApplyAlternateModule(false);

    // The captions that switch: "AT Command disable" with the AT panel
    // shown, "RD" on the slot buttons with the "Read" boxes ticked, then
    // "GSM Band disable" with the band panel shown; SMS mode.
    ASSERT_TRUE(f.Controls().RunHandler("ATcmdOpenClick"));
    for (auto* box : f.findChildren<QCheckBox*>())
        if (box->text().trimmed() == "Read") box->setChecked(true);
    CheckAll("AT panel, reading");
    ASSERT_TRUE(f.Controls().RunHandler("GSMbandOpenClick"));
    f.mainPage->SMSmode->setChecked(true);
    CheckAll("band panel, SMS mode");
}

INSTANTIATE_TEST_SUITE_P(Faces, CaptionFit, ::testing::Values("Cantarell", "DejaVu Sans"),
                         [](const ::testing::TestParamInfo<const char*>& face) {
                             std::string name = face.param;
                             std::erase(name, ' ');
                             return name;
                         });

}  // namespace
}  // namespace kt::test
