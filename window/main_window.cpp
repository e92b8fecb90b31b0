#include "window/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWindow>
#include <QtMath>
#include <algorithm>
#include <exception>
#include <memory>
#include <new>

#include "view/credits.h"
#include "view/map_units.h"
#include "view/pointer_readout.h"
#include "window/frame_placement.h"
#include "window/map_panel_widget.h"
#include "window/progress_panel_widget.h"
#include "window/qt_file_dialog.h"
#include "window/scale_rule.h"
#include "window/text_panel_widget.h"

namespace geodata {
namespace {

struct TwipRect {
  int left;
  int top;
  int width;
  int height;
  QRect Pixels() const { return {ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height)}; }
};

constexpr TwipRect kPicture1Place{720, 0, 9495, 2295};
constexpr TwipRect kListPlace{120, 2400, 3015, 7695};
constexpr TwipRect kMapPlace{3240, 2400, 7695, 7695};
constexpr TwipRect kBarasPlace{120, 10200, 10815, 255};
static_assert(ToPixels(kMapPlace.width) == MapPanelWidget::kPanelPixels);

constexpr char kCaptionPrefix[] = "GeoData viewer - ";
constexpr char kFileFilter[] = "GeoData file (*.dat) |*.dat";
constexpr char kMenuFileCaption[] = "File";
constexpr char kOpenGeoCaption[] = "Open GeoData";
constexpr char kOpenTitle[] = "Open GeoData";
constexpr char kBannerResource[] = ":/geodata-viewer/banner.jpg";
constexpr char kIconResource[] = ":/geodata-viewer/geodata-viewer.ico";

// What assistive technology calls the controls that show no text of their own.
constexpr char kPicture1Name[] = "GeoData viewer banner";
constexpr char kListName[] = "Log and pointer readout";
constexpr char kMapName[] = "Map";
constexpr char kBarasName[] = "Reading progress";
constexpr char kNoRegionDescription[] = "No region loaded";

}  // namespace

Form1::Form1(std::unique_ptr<FileDialog> dialog, SourceOpener open, double desktop_scale)
    : Dialog(std::move(dialog)), open_(std::move(open)) {
  if (!Dialog) Dialog = std::make_unique<QtFileDialog>(this);
  if (!open_) {
    open_ = [](const std::string& path) -> std::unique_ptr<ByteSource> {
      return std::make_unique<FileSource>(path);
    };
  }
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(QString::fromUtf8(kCaptionPrefix) +
                 QString::fromUtf8(kWebAddress.data(), static_cast<qsizetype>(kWebAddress.size())));
  setWindowIcon(QIcon(QString::fromUtf8(kIconResource)));
  BuildMenu();
  BuildControls();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  PlaceOnScreen(desktop_scale);
  Form_Load();
}

Form1::~Form1() = default;

void Form1::BuildMenu() {
  MenuFile = menuBar()->addMenu(QString::fromUtf8(kMenuFileCaption));
  // Qt names the open menu by its window title, which a menu bar's menu lacks.
  MenuFile->setAccessibleName(QString::fromUtf8(kMenuFileCaption));
  OpenGeo = MenuFile->addAction(QString::fromUtf8(kOpenGeoCaption));
  connect(OpenGeo, &QAction::triggered, this, &Form1::OpenGeo_Click);
}

void Form1::BuildControls() {
  auto* client = new QWidget(this);
  client->setFixedSize(ToPixels(kClientWidth), ToPixels(kClientHeight));
  setCentralWidget(client);

  Picture1 = new QLabel(client);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setPixmap(QPixmap(QString::fromUtf8(kBannerResource)));
  Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Picture1->setGeometry(kPicture1Place.Pixels());
  Picture1->setAccessibleName(QString::fromUtf8(kPicture1Name));

  list = new TextPanelWidget(client);
  list->setObjectName(QStringLiteral("list"));
  list->setGeometry(kListPlace.Pixels());
  list->setAccessibleName(QString::fromUtf8(kListName));

  Map = new MapPanelWidget(client);
  Map->setObjectName(QStringLiteral("Map"));
  Map->setGeometry(kMapPlace.Pixels());
  Map->setAccessibleName(QString::fromUtf8(kMapName));
  Map->setAccessibleDescription(QString::fromUtf8(kNoRegionDescription));
  connect(Map, &MapPanelWidget::MouseMove, this, &Form1::Map_MouseMove);

  Baras = new ProgressPanelWidget(client);
  Baras->setObjectName(QStringLiteral("Baras"));
  Baras->setGeometry(kBarasPlace.Pixels());
  Baras->setAccessibleName(QString::fromUtf8(kBarasName));

  for (QWidget* control : {static_cast<QWidget*>(Map), static_cast<QWidget*>(list),
                           static_cast<QWidget*>(Baras), static_cast<QWidget*>(Picture1)}) {
    control->setFocusPolicy(Qt::TabFocus);
  }
  setTabOrder(Map, list);
  setTabOrder(list, Baras);
  setTabOrder(Baras, Picture1);
}

void Form1::PlaceOnScreen(double desktop_scale) {
  // Left alone, Qt makes the window on the monitor under the desktop's
  // top-left corner, which need not be the primary one its scale was
  // chosen for.
  setScreen(QGuiApplication::primaryScreen());
  // Where the system draws the frame (Windows), Qt knows it once the window
  // exists; an X window manager frames the window only once it is shown, so
  // there the title bar the scale rule keeps room for stands in for it.
  winId();
  const QMargins margins = windowHandle()->frameMargins();
  QSize frame = size().grownBy(margins);
  if (margins.isNull()) frame.rheight() += qCeil(TitleBarPixels(desktop_scale) / windowHandle()->devicePixelRatio());
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  const FramePosition at = PlaceFrame({work.left(), work.top(), work.width(), work.height()}, frame.width(),
                                      frame.height());
  move(at.left, at.top);
}

void Form1::Form_Load() { Dm = kDisplayStep; }

void Form1::Open_Geodata_File(const std::string& Failas) {
  pointer_.emplace(load_.Run([open = open_, Failas] { return open(Failas); }, store_, *Map, *list, *Baras));
}

void Form1::Draw_Geodata() { geodata::Draw_Geodata(store_, Dm, Counters, *Map, *list); }

void Form1::OpenGeo_Click() {
  // The user's input is dropped while a load waits for a slow disk, but an
  // assistive technology can still press the item: that press is dropped too.
  if (opening_) return;
  const QScopedValueRollback opening(opening_, true);
  QString error;
  try {
    Dialog->Filter(kFileFilter);
    if (!Dialog->ShowOpen()) return;
    const std::string name = Dialog->FileName();
    if (name.empty()) return;
    Open_Geodata_File(name);
    Map->setAccessibleDescription(
        QString::fromStdString(RegionName(store_.Header(1), store_.Header(2))));
    Draw_Geodata();
  } catch (const LoadCancelled&) {
    // The window is closing.
  } catch (const std::bad_alloc&) {
    error = QStringLiteral("There is not enough memory to open the file.");
  } catch (const std::exception& failure) {
    error = QString::fromUtf8(failure.what());
  } catch (...) {
    error = QStringLiteral("The file could not be opened: an unexpected error stopped the load.");
  }
  // A slow load shows the wait pointer until its map is painted, never over
  // the error box.
  pointer_.reset();
  if (!error.isEmpty()) ShowError(error);
}

void Form1::Map_MouseMove(std::int16_t Button, std::int16_t Shift, float x, float y) {
  geodata::Map_MouseMove(Button, Shift, x, y, store_, Dm, *list);
}

// A load under way is given up at once, whatever its read is doing, and
// stores nothing.
void Form1::closeEvent(QCloseEvent* event) {
  load_.Cancel();
  QMainWindow::closeEvent(event);
}

void Form1::ShowError(const QString& message) {
  QMessageBox::critical(this, QString::fromUtf8(kOpenTitle), message);
}

}  // namespace geodata
