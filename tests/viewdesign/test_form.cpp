// The main window's form: widget tree, default values, texts, enable links,
// sample grids, icons and retranslation.
#include <QtTest/QtTest>

#include <QAbstractItemModel>
#include <QIcon>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTranslator>

#include "common/testregistry.h"
#include "viewdesign/widgetform.h"

namespace {

struct Form {
  QWidget window;
  Ui_Widget ui;
  explicit Form(const QString& name = QString()) {
    if (!name.isEmpty()) window.setObjectName(name);
    ui.setupUi(&window);
  }
};

// Every spacer of the form by member name.
QSpacerItem* spacer(Ui_Widget& ui, const QString& name) {
  const QHash<QString, QSpacerItem*> all = {
      {"horizontalSpacer", ui.horizontalSpacer},     {"hSpace1", ui.hSpace1},
      {"horizontalSpacer_4", ui.horizontalSpacer_4}, {"horizontalSpacer_5", ui.horizontalSpacer_5},
      {"hSpace2", ui.hSpace2},                       {"hSpace3", ui.hSpace3},
      {"horizontalSpacer_2", ui.horizontalSpacer_2}, {"horizontalSpacer_3", ui.horizontalSpacer_3},
      {"horizontalSpacer_6", ui.horizontalSpacer_6}};
  return all.value(name);
}

// Name of a layout item: a widget's or layout's object name, a spacer's member name.
QString itemName(Ui_Widget& ui, QLayoutItem* item) {
  if (item->widget()) return item->widget()->objectName();
  if (item->layout()) return item->layout()->objectName();
  for (const char* name : {"horizontalSpacer", "hSpace1", "horizontalSpacer_4", "horizontalSpacer_5", "hSpace2",
                           "hSpace3", "horizontalSpacer_2", "horizontalSpacer_3", "horizontalSpacer_6"}) {
    if (item == spacer(ui, name)) return name;
  }
  return "?";
}

QObject* object(Form& f, const QString& name) {
  if (name == "Widget") return &f.window;
  return f.window.findChild<QObject*>(name);
}

// Reads a property; a few pseudo properties cover what Qt has no property for:
// "tabTitle", "tabIndex", "item:N" (combo item text), "plainText" (text editor).
QVariant read(Form& f, QObject* o, const QString& prop) {
  if (prop == "tabTitle") return f.ui.tabWidget->tabText(f.ui.tabWidget->indexOf(qobject_cast<QWidget*>(o)));
  if (prop == "tabIndex") return f.ui.tabWidget->indexOf(qobject_cast<QWidget*>(o));
  if (prop.startsWith("item:")) return qobject_cast<QComboBox*>(o)->itemText(prop.mid(5).toInt());
  if (prop == "plainText") return qobject_cast<QTextEdit*>(o)->toPlainText();
  return o->property(prop.toLatin1().constData());
}

// Records the context and source text of every lookup; translates the context
// "Widget" by prefixing "T:".
class RecordingTranslator : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override {
    Q_UNUSED(disambiguation);
    Q_UNUSED(n);
    contexts.insert(QString::fromUtf8(context));
    sources.insert(QString::fromUtf8(sourceText));
    if (QByteArray(context) == "Widget") return "T:" + QString::fromUtf8(sourceText);
    return QString();
  }
  bool isEmpty() const override { return false; }
  mutable QSet<QString> contexts;
  mutable QSet<QString> sources;
};

const char* const kThemeIcons[] = {"folder-open",     "document-save",       "system-reboot",      "go-down",
                                   "view-refresh",    "document-properties", "view-fullscreen",    "zoom-fit-best",
                                   "document-save-as", "edit-copy",          "media-seek-forward", "media-playback-start",
                                   "media-seek-backward"};

}  // namespace

class TestForm : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir themeDir;
  QStringList savedSearchPaths;
  QString savedTheme;

 private slots:
  // A small icon theme with one distinct image for each icon the form names.
  void initTestCase() {
    QVERIFY(themeDir.isValid());
    QDir root(themeDir.path());
    QVERIFY(root.mkpath("formtest/16x16/actions"));
    QFile index(root.filePath("formtest/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=formtest\nDirectories=16x16/actions\n\n"
                "[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    int shade = 10;
    for (const char* name : kThemeIcons) {
      QImage image(16, 16, QImage::Format_ARGB32);
      image.fill(QColor(shade, 255 - shade, 128));
      shade += 15;
      QVERIFY(image.save(root.filePath(QString("formtest/16x16/actions/%1.png").arg(name))));
    }
    savedSearchPaths = QIcon::themeSearchPaths();
    savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({themeDir.path()});
    QIcon::setThemeName("formtest");
  }

  void cleanupTestCase() {
    QIcon::setThemeSearchPaths(savedSearchPaths);
    QIcon::setThemeName(savedTheme);
  }

  void windowName_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unnamed window is named Widget") << QString() << "Widget";
    QTest::newRow("named window keeps its name") << "mainWindow" << "mainWindow";
  }
  void windowName() {
    QFETCH(QString, given);
    QFETCH(QString, expected);
    Form f(given);
    QCOMPARE(f.window.objectName(), expected);
    QCOMPARE(f.window.size(), QSize(800, 600));
  }

  void properties_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prop");
    QTest::addColumn<QVariant>("expected");
    auto row = [](const char* name, const char* prop, const QVariant& v) {
      QTest::addRow("%s.%s", name, prop) << QString(name) << QString(prop) << v;
    };
    auto s = [](const char* utf8) { return QVariant(QString::fromUtf8(utf8)); };

    // Frame and header row.
    row("Widget", "windowTitle", s("Widget"));
    row("label", "text", s("根据散点数据拟合函数曲线"));
    row("themeBtn", "toolTip", s("更改界面主题风格"));
    row("themeBtn", "text", s("主题"));
    row("themeBtn", "flat", true);
    row("themeBtn", "default", false);
    row("themeBtn", "styleSheet", s(""));
    row("aboutBtn", "toolTip", s("关于本软件..."));
    row("aboutBtn", "text", s("关于..."));
    row("aboutBtn", "flat", true);
    row("aboutBtn", "default", true);
    row("tabWidget", "currentIndex", 0);
    row("tabWidget", "count", 3);
    row("tabIn", "tabTitle", s("输入"));
    row("tabIn", "tabIndex", 0);
    row("tabPlot", "tabTitle", s("绘图"));
    row("tabPlot", "tabIndex", 1);
    row("taOut", "tabTitle", s("输出"));
    row("taOut", "tabIndex", 2);

    // Input tab.
    row("loadBtn", "toolTip", s("从文件加载数据"));
    row("loadBtn", "text", s("加载"));
    row("saveBtn", "toolTip", s("保存数据到文件"));
    row("saveBtn", "text", s("保存"));
    row("refreshBtn", "toolTip", s("刷新表格并初始化X轴和Y轴数据"));
    row("refreshBtn", "text", s("刷新"));
    row("label_16", "text", s("X轴数据(列)"));
    row("xDataBox", "toolTip", s("选择作为X轴数据输入的列"));
    row("xDataBox", "count", 2);
    row("xDataBox", "item:0", s("1"));
    row("xDataBox", "item:1", s("2"));
    row("xDataBox", "currentIndex", 0);
    row("xDataBox", "currentText", s("1"));
    row("xDataBox", "sizePolicy", QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed));
    row("label_17", "text", s("Y轴数据(列)"));
    row("yDataBox", "toolTip", s("选择作为Y轴数据输入的列"));
    row("yDataBox", "count", 2);
    row("yDataBox", "item:0", s("1"));
    row("yDataBox", "item:1", s("2"));
    row("yDataBox", "currentIndex", 1);
    row("yDataBox", "currentText", s("2"));
    row("yDataBox", "sizePolicy", QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed));
    row("inputLabel", "toolTip", s("输入单元格坐标"));
    row("inputLabel", "text", s("(Col, Row)"));
    row("inputLabel", "minimumSize", QSize(64, 0));
    row("inputEdit", "toolTip", s("输入框"));
    row("inputEdit", "plainText", s(""));
    row("inputEdit", "maximumSize", QSize(16777215, 24));
    row("inputEdit", "lineWrapMode", int(QTextEdit::NoWrap));
    row("inputEdit", "sizePolicy", QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred));
    row("inputEdit", "readOnly", false);
    row("inputBtn", "toolTip", s("展开输入框"));
    row("inputBtn", "text", s("展开"));
    row("inputBtn", "checkable", true);
    row("inputBtn", "checked", false);
    row("inputBtn", "maximumSize", QSize(16777215, 16777215));
    row("inputBtn", "sizePolicy", QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred));
    row("inputTable", "rowCount", 5);
    row("inputTable", "columnCount", 2);
    row("inputTable", "editTriggers", int(QAbstractItemView::DoubleClicked));
    row("inputTable", "sortingEnabled", false);

    // Plot tab.
    row("label_5", "text", s("X轴"));
    row("xLabelCheck", "text", s("显示轴标题"));
    row("xLabelCheck", "checked", true);
    row("xLabelIn", "toolTip", s("输入X轴标题"));
    row("xLabelIn", "text", s("L/min"));
    row("xLabelIn", "enabled", true);
    row("label_11", "text", s("小数位数"));
    row("decimalXBox", "toolTip", s("X轴数据及绘图坐标数字显示的小数位数"));
    row("decimalXBox", "value", 1);
    row("decimalXBox", "minimum", 0);
    row("decimalXBox", "maximum", 99);
    row("scientificXCheck", "toolTip", s("X轴数据及绘图坐标是否采用科学计数法"));
    row("scientificXCheck", "text", s("科学记数法"));
    row("scientificXCheck", "checked", false);
    row("label_6", "text", s("Y轴"));
    row("yLabelCheck", "text", s("显示轴标题"));
    row("yLabelCheck", "checked", true);
    row("yLabelIn", "toolTip", s("输入Y轴标题"));
    row("yLabelIn", "text", s("kPa"));
    row("label_12", "text", s("小数位数"));
    row("decimalYBox", "toolTip", s("Y轴数据及绘图坐标数字显示的小数位数"));
    row("decimalYBox", "value", 3);
    row("decimalYBox", "maximum", 99);
    row("scientificYCheck", "toolTip", s("Y轴数据及绘图坐标是否采用科学计数法"));
    row("scientificYCheck", "text", s("科学记数法"));
    row("scientificYCheck", "checked", false);
    row("titleDisplayCheck", "toolTip", s("是否在绘图中显示标题"));
    row("titleDisplayCheck", "text", s("显示图表标题"));
    row("titleDisplayCheck", "checked", false);
    row("titleIn", "toolTip", s("输入图表标题"));
    row("titleIn", "text", s("Flow-PressureDrop"));
    row("titleIn", "enabled", false);
    row("legendShowCheck", "toolTip", s("是否显示图例标签"));
    row("legendShowCheck", "text", s("显示图例"));
    row("legendShowCheck", "checked", false);
    row("plotBtn", "toolTip", s("刷新绘图显示"));
    row("plotBtn", "text", s("刷新"));
    row("setPlotBtn", "toolTip", s("设置绘图参数"));
    row("setPlotBtn", "text", s("设置绘图"));
    row("setPlotSizeBtn", "toolTip", s("设置绘图区域大小"));
    row("setPlotSizeBtn", "text", s("设置大小"));
    row("adjustPlotBtn", "toolTip", s("自适应绘图区域大小"));
    row("adjustPlotBtn", "text", s("自适应大小"));
    row("savePlotBtn", "toolTip", s("保存图片"));
    row("savePlotBtn", "text", s("保存"));
    row("copyPlotBtn", "toolTip", s("复制图片到剪贴板"));
    row("copyPlotBtn", "text", s("复制"));
    row("sarea", "widgetResizable", true);

    // Output tab.
    row("splitter", "orientation", int(Qt::Horizontal));
    row("label_7", "text", s("方法"));
    row("comboBox", "toolTip", s("选择拟合的函数类型"));
    row("comboBox", "count", 6);
    row("comboBox", "currentIndex", 0);
    row("comboBox", "item:0", s("多项式"));
    row("comboBox", "item:1", s("指数"));
    row("comboBox", "item:2", s("指数"));
    row("comboBox", "item:3", s("对数"));
    row("comboBox", "item:4", s("乘幂"));
    row("comboBox", "item:5", s("自定义"));
    row("funcLabel", "text", s("..."));
    row("funcLabel", "textFormat", int(Qt::RichText));
    row("funcLabel", "scaledContents", false);
    row("funcLabel", "wordWrap", false);
    row("label_13", "text", s(""));
    row("funcInput", "toolTip", s("自定义表达式，支持简单函数"));
    row("funcInput", "text", s(""));
    row("funcInput", "inputMask", s(""));
    row("funcInput", "maxLength", 32767);
    row("funcInput", "frame", true);
    row("funcInput", "placeholderText", s("example : a1*x+exp(b*x)-c^x"));
    row("label_8", "text", s("多项式次数"));
    row("numberSpin", "toolTip", s("输入多项式函数的次数，最小次数为1"));
    row("numberSpin", "value", 2);
    row("numberSpin", "minimum", 1);
    row("numberSpin", "maximum", 99);
    row("interceptCheck", "toolTip", s("设置截距"));
    row("interceptCheck", "text", s("设置截距"));
    row("interceptCheck", "checked", false);
    row("interceptIn", "toolTip", s("输入截距数值"));
    row("interceptIn", "text", s("0.0"));
    row("interceptIn", "enabled", false);
    row("outputTable", "rowCount", 4);
    row("outputTable", "columnCount", 1);
    row("outputTable", "editTriggers", int(QAbstractItemView::NoEditTriggers));
    row("outputTable", "sortingEnabled", false);
    row("label_9", "text", s("X点"));
    row("xIn", "toolTip", s("给定X值"));
    row("xIn", "text", s(""));
    row("xIn", "readOnly", false);
    row("calcYOut", "toolTip", s("根据给定的X值计算Y值"));
    row("calcYOut", "text", s("计算Y值"));
    row("yOut", "toolTip", s("根据给定的X值计算Y值结果"));
    row("yOut", "text", s(""));
    row("yOut", "readOnly", true);
    row("yOut", "enabled", true);
    row("label_4", "text", s("小数位数"));
    row("decimalOutBox", "toolTip", s("输出系数的小数位数"));
    row("decimalOutBox", "value", 6);
    row("decimalOutBox", "minimum", 0);
    row("decimalOutBox", "maximum", 99);
    row("scientificOutCheck", "toolTip", s("输出系数是否采用科学计数法"));
    row("scientificOutCheck", "text", s("科学记数法"));
    row("scientificOutCheck", "checked", true);
    row("fitBtn", "toolTip", s("根据输入散点数据计算拟合曲线的系数"));
    row("fitBtn", "text", s("计算系数"));
    row("refineCB", "toolTip", s("是否对拟合曲线进行细化"));
    row("refineCB", "text", s("曲线细化"));
    row("refineCB", "checked", false);
    row("refineSP", "toolTip", s("细化等级n，原X轴范围按10^n分割"));
    row("refineSP", "value", 0);
    row("refineSP", "minimum", 0);
    row("refineSP", "maximum", 12);
    row("refineSP", "enabled", true);
    row("curveBtn", "toolTip", s("更新绘图显示并添加拟合的函数曲线"));
    row("curveBtn", "text", s("更新曲线"));
    row("outputEdit", "readOnly", true);
    row("outputEdit", "documentTitle", s(""));
    row("outputEdit", "plainText", s("y=0.125+1.12*x+0.322*pow(x,2)\nr^2=0.96"));
    row("label_10", "text", s("Y点"));
    row("yIn", "toolTip", s("给定Y值"));
    row("yIn", "text", s(""));
    row("calcXOut", "toolTip", s("根据给定的Y值计算X值"));
    row("calcXOut", "text", s("计算X值"));
    row("xOut", "toolTip", s("根据给定的Y值计算X值结果"));
    row("xOut", "text", s(""));
    row("xOut", "readOnly", true);
    row("xOut", "enabled", true);
  }
  void properties() {
    QFETCH(QString, name);
    QFETCH(QString, prop);
    QFETCH(QVariant, expected);
    Form f;
    QObject* o = object(f, name);
    QVERIFY2(o, qPrintable("no object " + name));
    const QVariant actual = read(f, o, prop);
    QVERIFY2(actual.isValid(), qPrintable("no property " + prop));
    if (expected.metaType().id() == QMetaType::Int && actual.metaType().id() != QMetaType::Int) {
      QCOMPARE(actual.toInt(), expected.toInt());  // enums and flags
    } else {
      QCOMPARE(actual, expected);
    }
  }

  // Every widget and layout member carries its member name as object name, and
  // sits where the form places it.
  void layoutItems_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("window") << "verticalLayout" << QStringList{"headhbpx", "tabWidget"};
    QTest::newRow("header row") << "headhbpx" << QStringList{"label", "horizontalSpacer", "themeBtn", "aboutBtn"};
    QTest::newRow("input page") << "verticalLayout_3" << QStringList{"hhbox", "horizontalLayout_6", "inputTable"};
    QTest::newRow("input tool row") << "hhbox"
                                    << QStringList{"loadBtn", "saveBtn", "hSpace1", "refreshBtn", "label_16",
                                                   "xDataBox", "label_17", "yDataBox"};
    QTest::newRow("cell input bar") << "horizontalLayout_6" << QStringList{"inputLabel", "inputEdit", "inputBtn"};
    QTest::newRow("plot page") << "verticalLayout_5" << QStringList{"hbox1", "hbox2", "hhbox1", "sarea"};
    QTest::newRow("x axis row") << "hbox1"
                                << QStringList{"horizontalSpacer_4", "label_5", "xLabelCheck", "xLabelIn", "label_11",
                                               "decimalXBox", "scientificXCheck"};
    QTest::newRow("y axis row") << "hbox2"
                                << QStringList{"horizontalSpacer_5", "label_6", "yLabelCheck", "yLabelIn", "label_12",
                                               "decimalYBox", "scientificYCheck"};
    QTest::newRow("plot tool row") << "hhbox1"
                                   << QStringList{"hSpace2", "titleDisplayCheck", "titleIn", "legendShowCheck",
                                                  "plotBtn", "setPlotBtn", "setPlotSizeBtn", "adjustPlotBtn",
                                                  "savePlotBtn", "copyPlotBtn"};
    QTest::newRow("scroll contents") << "horizontalLayout_2" << QStringList{"sbox"};
    QTest::newRow("chart box starts empty") << "sbox" << QStringList{};
    QTest::newRow("output page") << "verticalLayout_2" << QStringList{"splitter"};
    QTest::newRow("left pane") << "vl1" << QStringList{"hl1", "hl2", "outputTable", "horizontalLayout_4"};
    QTest::newRow("model row") << "hl1"
                               << QStringList{"label_7", "comboBox", "funcLabel", "label_13", "funcInput", "hSpace3"};
    QTest::newRow("degree row") << "hl2"
                                << QStringList{"label_8", "numberSpin", "interceptCheck", "interceptIn",
                                               "horizontalSpacer_2"};
    QTest::newRow("y from x row") << "horizontalLayout_4" << QStringList{"label_9", "xIn", "calcYOut", "yOut"};
    QTest::newRow("right pane") << "vl2" << QStringList{"hbox5", "horizontalLayout", "outputEdit", "horizontalLayout_5"};
    QTest::newRow("number row") << "hbox5"
                                << QStringList{"horizontalSpacer_3", "label_4", "decimalOutBox", "scientificOutCheck",
                                               "fitBtn"};
    QTest::newRow("curve row") << "horizontalLayout"
                               << QStringList{"horizontalSpacer_6", "refineCB", "refineSP", "curveBtn"};
    QTest::newRow("x from y row") << "horizontalLayout_5" << QStringList{"label_10", "yIn", "calcXOut", "xOut"};
  }
  void layoutItems() {
    QFETCH(QString, layout);
    QFETCH(QStringList, items);
    Form f;
    auto* l = f.window.findChild<QLayout*>(layout);
    QVERIFY2(l, qPrintable("no layout " + layout));
    QStringList names;
    for (int i = 0; i < l->count(); ++i) names << itemName(f.ui, l->itemAt(i));
    QCOMPARE(names, items);
  }

  void containers() {
    Form f;
    QCOMPARE(f.window.layout(), f.ui.verticalLayout);
    QCOMPARE(f.ui.tabWidget->widget(0), f.ui.tabIn);
    QCOMPARE(f.ui.tabWidget->widget(1), f.ui.tabPlot);
    QCOMPARE(f.ui.tabWidget->widget(2), f.ui.taOut);
    QCOMPARE(f.ui.sarea->widget(), f.ui.scontents);
    QCOMPARE(f.ui.splitter->count(), 2);
    QCOMPARE(f.ui.splitter->widget(0), f.ui.layoutWidget);
    QCOMPARE(f.ui.splitter->widget(1), f.ui.verticalLayoutWidget);
    QCOMPARE(f.ui.vl1->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(f.ui.vl2->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(f.ui.inputTable->parentWidget(), f.ui.tabIn);
    QCOMPARE(f.ui.outputTable->parentWidget(), f.ui.layoutWidget);
    for (QLayout* l : {static_cast<QLayout*>(f.ui.verticalLayout_3), static_cast<QLayout*>(f.ui.hhbox),
                       static_cast<QLayout*>(f.ui.horizontalLayout_6)}) {
      QCOMPARE(l->sizeConstraint(), QLayout::SetDefaultConstraint);
    }
  }

  void spacers_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"horizontalSpacer", "hSpace1", "horizontalSpacer_4", "horizontalSpacer_5", "hSpace2",
                             "hSpace3", "horizontalSpacer_2", "horizontalSpacer_3", "horizontalSpacer_6"}) {
      QTest::newRow(name) << QString(name);
    }
  }
  void spacers() {
    QFETCH(QString, name);
    Form f;
    QSpacerItem* sp = spacer(f.ui, name);
    QVERIFY(sp);
    QCOMPARE(sp->sizeHint(), QSize(40, 20));
    QCOMPARE(sp->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(sp->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
  }

  // Each check box enables its targets while checked: the form's own links.
  void enableLinks_data() {
    QTest::addColumn<QString>("check");
    QTest::addColumn<QStringList>("targets");
    QTest::newRow("intercept") << "interceptCheck" << QStringList{"interceptIn"};
    QTest::newRow("chart title") << "titleDisplayCheck" << QStringList{"titleIn"};
    QTest::newRow("x axis title") << "xLabelCheck" << QStringList{"xLabelIn", "decimalXBox", "scientificXCheck"};
    QTest::newRow("y axis title") << "yLabelCheck" << QStringList{"yLabelIn", "decimalYBox", "scientificYCheck"};
    QTest::newRow("curve refinement") << "refineCB" << QStringList{"refineSP"};
  }
  void enableLinks() {
    QFETCH(QString, check);
    QFETCH(QStringList, targets);
    Form f;
    auto* box = f.window.findChild<QCheckBox*>(check);
    QVERIFY(box);
    QHash<QString, QString> texts;
    for (const QString& t : targets) {
      if (auto* edit = f.window.findChild<QLineEdit*>(t)) texts[t] = edit->text();
    }
    for (bool on : {!box->isChecked(), box->isChecked(), false, true, false}) {
      box->setChecked(on);
      for (const QString& t : targets) {
        auto* w = f.window.findChild<QWidget*>(t);
        QVERIFY(w);
        QVERIFY2(w->isEnabled() == on, qPrintable(t + (on ? " not enabled" : " not disabled")));
      }
    }
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
      QCOMPARE(f.window.findChild<QLineEdit*>(it.key())->text(), it.value());
    }
  }

  // Toggling a check box changes nothing beyond its own targets.
  void enableLinksTouchNothingElse() {
    Form f;
    QList<QWidget*> all = f.window.findChildren<QWidget*>();
    QHash<QWidget*, bool> before;
    for (QWidget* w : all) before[w] = w->isEnabled();
    const QSet<QString> targets = {"interceptIn", "titleIn",  "xLabelIn",    "decimalXBox",      "scientificXCheck",
                                   "yLabelIn",    "decimalYBox", "scientificYCheck", "refineSP"};
    for (QCheckBox* box : f.window.findChildren<QCheckBox*>()) box->toggle();
    for (QWidget* w : all) {
      // Qt's own inner widgets (a spin box's line edit) follow their owner.
      if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
      if (targets.contains(w->objectName())) continue;
      QVERIFY2(w->isEnabled() == before[w], qPrintable(w->objectName()));
    }
  }

  void sampleCells_data() {
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    const char* xs[] = {"2", "4", "6", "8", "10"};
    const char* ys[] = {"0.1", "0.3", "0.6", "1.1", "1.7"};
    for (int r = 0; r < 5; ++r) {
      QTest::addRow("inputTable x row %d", r) << "inputTable" << r << 0 << QString(xs[r]);
      QTest::addRow("inputTable y row %d", r) << "inputTable" << r << 1 << QString(ys[r]);
    }
    const char* out[] = {"0.96", ".125", "1.12", "0.322"};
    for (int r = 0; r < 4; ++r) QTest::addRow("outputTable row %d", r) << "outputTable" << r << 0 << QString(out[r]);
  }
  void sampleCells() {
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, text);
    Form f;
    auto* table = f.window.findChild<CleverTableWidget*>(grid);
    QVERIFY(table);
    QVERIFY(table->item(row, col));
    QCOMPARE(table->item(row, col)->text(), text);
  }

  void gridHeaders() {
    Form f;
    QVERIFY(!f.ui.outputTable->horizontalHeader()->isHidden());
    QVERIFY(f.ui.outputTable->horizontalHeaderItem(0));
    QCOMPARE(f.ui.outputTable->horizontalHeaderItem(0)->text(), QString("x"));
    const QStringList rows = {"r^2", "a0", "a1", "a2"};
    for (int r = 0; r < rows.size(); ++r) {
      QVERIFY(f.ui.outputTable->verticalHeaderItem(r));
      QCOMPARE(f.ui.outputTable->verticalHeaderItem(r)->text(), rows[r]);
    }
    // The input grid's headers are the grid's own: the form sets none.
    for (int c = 0; c < f.ui.inputTable->columnCount(); ++c) QVERIFY(!f.ui.inputTable->horizontalHeaderItem(c));
    for (int r = 0; r < f.ui.inputTable->rowCount(); ++r) QVERIFY(!f.ui.inputTable->verticalHeaderItem(r));
  }

  // A second retranslateUi, here under another language, touches no cell or
  // header item of either grid (a text set on a formula cell through the
  // non-virtual setText would lose its typed text), resets the expression field,
  // and keeps every other edited text.
  void retranslateAgain() {
    Form f;
    RecordingTranslator translator;
    int cellChanges = 0;
    int headerChanges = 0;
    for (CleverTableWidget* t : {f.ui.inputTable, f.ui.outputTable}) {
      connect(t->model(), &QAbstractItemModel::dataChanged, this, [&] { ++cellChanges; });
      connect(t->model(), &QAbstractItemModel::headerDataChanged, this, [&] { ++headerChanges; });
    }
    f.ui.xLabelIn->setText("s");
    f.ui.yLabelIn->setText("Pa");
    f.ui.titleIn->setText("my chart");
    f.ui.interceptIn->setText("1.5");
    f.ui.xIn->setText("3");
    f.ui.funcInput->setText("a*x");
    f.ui.funcInput->setInputMask("000");
    f.ui.inputLabel->setText("A1");
    QVERIFY(QCoreApplication::installTranslator(&translator));
    f.ui.retranslateUi(&f.window);
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(cellChanges, 0);
    QCOMPARE(headerChanges, 0);
    QCOMPARE(f.ui.inputTable->item(4, 1)->text(), QString("1.7"));
    QCOMPARE(f.ui.outputTable->item(1, 0)->text(), QString(".125"));
    QCOMPARE(f.ui.outputTable->verticalHeaderItem(0)->text(), QString("r^2"));
    QCOMPARE(f.ui.xLabelIn->text(), QString("s"));
    QCOMPARE(f.ui.yLabelIn->text(), QString("Pa"));
    QCOMPARE(f.ui.titleIn->text(), QString("my chart"));
    QCOMPARE(f.ui.interceptIn->text(), QString("1.5"));
    QCOMPARE(f.ui.xIn->text(), QString("3"));
    QCOMPARE(f.ui.inputLabel->text(), QString("A1"));
    QCOMPARE(f.ui.funcInput->text(), QString());
    QCOMPARE(f.ui.funcInput->inputMask(), QString());
    QCOMPARE(f.ui.label->text(), QString::fromUtf8("T:根据散点数据拟合函数曲线"));
  }

  void retranslateKeepsSorting_data() {
    QTest::addColumn<QString>("grid");
    QTest::addColumn<bool>("sorting");
    QTest::newRow("input grid, sorting on") << "inputTable" << true;
    QTest::newRow("input grid, sorting off") << "inputTable" << false;
    QTest::newRow("output grid, sorting on") << "outputTable" << true;
    QTest::newRow("output grid, sorting off") << "outputTable" << false;
  }
  void retranslateKeepsSorting() {
    QFETCH(QString, grid);
    QFETCH(bool, sorting);
    Form f;
    auto* table = f.window.findChild<CleverTableWidget*>(grid);
    table->setSortingEnabled(sorting);
    f.ui.retranslateUi(&f.window);
    QCOMPARE(table->isSortingEnabled(), sorting);
  }

  // Every translatable text goes through the context "Widget"; the literals that
  // are data stay untranslated.
  void translation() {
    RecordingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    Form f;
    QCoreApplication::removeTranslator(&translator);
    for (const QString& context : std::as_const(translator.contexts)) {
      // Besides the form's context only the grids (their action texts) and
      // Qt's own widgets look up texts.
      QVERIFY2(context == "Widget" || context == "CleverTableWidget" || context.startsWith('Q'),
               qPrintable(context));
    }
    QCOMPARE(f.window.windowTitle(), QString("T:Widget"));
    QCOMPARE(f.ui.label->text(), QString::fromUtf8("T:根据散点数据拟合函数曲线"));
    QCOMPARE(f.ui.comboBox->itemText(2), QString::fromUtf8("T:指数"));
    QCOMPARE(f.ui.tabWidget->tabText(2), QString::fromUtf8("T:输出"));
    QCOMPARE(f.ui.refineSP->toolTip(), QString::fromUtf8("T:细化等级n，原X轴范围按10^n分割"));
    const QStringList literals = {
        "(Col, Row)", "L/min", "kPa", "Flow-PressureDrop", "0.0", "...", "example : a1*x+exp(b*x)-c^x",
        "x", "r^2", "a0", "a1", "a2",                                        // output grid headers
        "2", "0.1", "4", "0.3", "6", "0.6", "8", "1.1", "10", "1.7",         // input grid cells
        "0.96", ".125", "1.12", "0.322",                                     // output grid cells
        "1"};                                                                // column chooser items
    QCOMPARE(f.ui.inputTable->item(1, 1)->text(), QString("0.3"));
    QCOMPARE(f.ui.outputTable->item(3, 0)->text(), QString("0.322"));
    for (const QString& literal : literals) {
      QVERIFY2(!translator.sources.contains(literal), qPrintable(literal + " passed through translation"));
    }
    for (const QString& src : std::as_const(translator.sources)) {
      QVERIFY2(!src.contains("<html>") && !src.contains("pow(x,2)"), "a document passed through translation");
    }
    QCOMPARE(f.ui.xDataBox->itemText(1), QString("2"));
    QCOMPARE(f.ui.inputLabel->text(), QString("(Col, Row)"));
    QCOMPARE(f.ui.inputTable->item(0, 1)->text(), QString("0.1"));
    QCOMPARE(f.ui.outputTable->horizontalHeaderItem(0)->text(), QString("x"));
  }

  void documents() {
    Form f;
    QTextDocument* out = f.ui.outputEdit->document();
    QCOMPARE(out->blockCount(), 2);
    for (QTextBlock b = out->begin(); b.isValid(); b = b.next()) {
      QCOMPARE(b.blockFormat().topMargin(), 6.0);
      QCOMPARE(b.blockFormat().bottomMargin(), 6.0);
    }
    QCOMPARE(out->begin().text(), QString("y=0.125+1.12*x+0.322*pow(x,2)"));
    QCOMPARE(out->lastBlock().text(), QString("r^2=0.96"));
    QTextDocument* in = f.ui.inputEdit->document();
    QVERIFY(in->isEmpty());
    QCOMPARE(in->blockCount(), 1);
    for (QTextDocument* d : {out, in}) {
      // The body style of the document sets the font of its text.
      const QTextCharFormat fmt = d->begin().charFormat();
      QCOMPARE(fmt.fontFamilies().toStringList().value(0), QString("Microsoft YaHei UI"));
      QCOMPARE(fmt.fontPointSize(), 9.0);
    }
  }

  void icons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("theme");
    const QList<QPair<const char*, const char*>> rows = {
        {"loadBtn", "folder-open"},          {"saveBtn", "document-save"},
        {"refreshBtn", "system-reboot"},     {"inputBtn", "go-down"},
        {"plotBtn", "view-refresh"},         {"setPlotBtn", "document-properties"},
        {"setPlotSizeBtn", "view-fullscreen"}, {"adjustPlotBtn", "zoom-fit-best"},
        {"savePlotBtn", "document-save-as"}, {"copyPlotBtn", "edit-copy"},
        {"calcYOut", "media-seek-forward"},  {"fitBtn", "media-playback-start"},
        {"curveBtn", "view-refresh"},        {"calcXOut", "media-seek-backward"}};
    for (const auto& [button, theme] : rows) QTest::newRow(button) << QString(button) << QString(theme);
  }
  void icons() {
    QFETCH(QString, button);
    QFETCH(QString, theme);
    Form f;
    auto* b = f.window.findChild<QToolButton*>(button);
    QVERIFY(b);
    QVERIFY(!b->icon().isNull());
    QCOMPARE(b->icon().name(), theme);
  }

  void sharedCurveIcon() {
    Form f;
    QCOMPARE(f.ui.curveBtn->icon().cacheKey(), f.ui.plotBtn->icon().cacheKey());
    QSet<qint64> keys;
    for (QToolButton* b : {f.ui.loadBtn, f.ui.saveBtn, f.ui.refreshBtn, f.ui.inputBtn, f.ui.plotBtn,
                           f.ui.setPlotBtn, f.ui.setPlotSizeBtn, f.ui.adjustPlotBtn, f.ui.savePlotBtn,
                           f.ui.copyPlotBtn, f.ui.calcYOut, f.ui.fitBtn, f.ui.curveBtn, f.ui.calcXOut}) {
      keys.insert(b->icon().cacheKey());
    }
    QCOMPARE(keys.size(), 13);
    QVERIFY(f.ui.themeBtn->icon().isNull());
    QVERIFY(f.ui.aboutBtn->icon().isNull());
  }

  void windowIcon() {
    QVERIFY(QFile::exists(":/image/curve.png"));
    QImage image(":/image/curve.png");
    QVERIFY(!image.isNull());
    Form f;
    QVERIFY(!f.window.windowIcon().isNull());
    QVERIFY(!f.window.windowIcon().pixmap(32, 32).isNull());
  }
};

TRELVO_REGISTER_TEST(TestForm)
#include "test_form.moc"
