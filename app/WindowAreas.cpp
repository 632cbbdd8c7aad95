#include "app/WindowAreas.h"

#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

#include "app/EntryFields.h"
#include "app/WindowFit.h"
#include "editing/Controls.h"

namespace lyra {

namespace {

QProgressBar* progressBar(QWidget* parent, const char* name, QRect geometry) {
  auto* p = new QProgressBar(parent);
  p->setObjectName(name);
  p->setGeometry(geometry);
  p->setRange(0, 100);
  p->setValue(0);
  return p;
}

QStringList numbers(int first, int last) {
  QStringList l;
  for (int i = first; i <= last; ++i) l << QString::number(i);
  return l;
}

void layOutConnectionArea(WindowAreas& a) {
  a.GroupBox2 = ui::group(a.client, "GroupBox2", "", {7, 2, 594, 178});
  a.comCaption = ui::label(a.GroupBox2, "comCaption", "COM :", {8, 20, 36, 20});
  a.RzComboBox1 = ui::dropDown(a.GroupBox2, "RzComboBox1", {}, {44, 18, 96, 24});
  a.deviceIdCaption = ui::label(a.GroupBox2, "deviceIdCaption", "Device ID:", {8, 56, 62, 20});
  a.RzComboBox6 = ui::dropDown(a.GroupBox2, "RzComboBox6", numbers(1, 255), {70, 54, 56, 24});
  a.RzComboBox6->setMaxVisibleItems(20);
  a.connectionPicture = ui::label(a.GroupBox2, "connectionPicture", "", {128, 54, 22, 22});
  // In BroadcastMode the area shrinks to 215 pixels wide; the button still fits.
  a.Button3 = ui::button(a.GroupBox2, "Button3", "Connect", {151, 55, 62, 26});
  a.Button3->setFont(QFont("Arial", 8));
  ui::fitCaptions(a.Button3, {"Connect", "Disconnect"});
  // Where the system has no serial port, the port list holds only Demo; this says why and what
  // to do. It lies below the rows that BroadcastMode keeps, so the narrowed area never cuts it.
  a.noPortHint = ui::label(a.GroupBox2, "noPortHint", kNoPortHint, {8, 96, 206, 76});
  a.noPortHint->setWordWrap(true);
  a.noPortHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  a.noPortHint->hide();

  a.presetBox = ui::group(a.GroupBox2, "presetBox", "", {218, 8, 252, 118});
  ui::label(a.presetBox, "loadCaption", "Load： ", {8, 20, 42, 20});
  a.RzComboBox10 = ui::dropDown(a.presetBox, "RzComboBox10",
                                {"Pre0:", "Pre1:", "Pre2:", "Pre3:", "Pre4:", "Pre5:", "Usr6:",
                                 "Usr7:"},
                                {50, 18, 134, 24});
  a.RzButton9 = ui::button(a.presetBox, "RzButton9", "Load", {188, 18, 56, 24});
  ui::label(a.presetBox, "saveCaption", "Save:", {8, 52, 42, 20});
  a.RzComboBox11 = ui::dropDown(a.presetBox, "RzComboBox11", {"Usr6:", "Usr7:"}, {50, 50, 58, 24});
  a.RzEdit1 = ui::edit(a.presetBox, "RzEdit1", "", {112, 50, 72, 24});
  a.RzEdit1->setMaxLength(19);
  keepNameCharacters(a.RzEdit1);
  a.RzButton10 = ui::button(a.presetBox, "RzButton10", "Save", {188, 50, 56, 24});
  a.RzLabel14 = ui::label(a.presetBox, "RzLabel14", "Last loaded preset :    ", {8, 84, 236, 20});

  // "Broadcast\rMode": the line break shows as one.
  a.RzButton8 = ui::button(a.GroupBox2, "RzButton8", "Broadcast\nMode", {478, 14, 106, 44});
  ui::setButtonColour(a.RzButton8, ui::kNormalGrey);
  a.setIdCaption = ui::label(a.GroupBox2, "setIdCaption", "Set device ID :", {478, 70, 106, 20});
  a.RzEdit2 = ui::edit(a.GroupBox2, "RzEdit2", "1", {478, 92, 50, 24});
  selectAllOnEveryClick(a.RzEdit2);
  a.Button1 = ui::button(a.GroupBox2, "Button1", "OK", {532, 92, 52, 24});

  QStringList temperatures{">=70 °C"};
  for (int c = 68; c >= 12; c -= 2) temperatures << QString("%1 °C").arg(c);
  temperatures << "<=10 °C";
  a.temperatureList = ui::dropDown(a.GroupBox2, "temperatureList", temperatures, {0, 0, 0, 0});
  a.temperatureList->hide();

  a.Image20 = ui::label(a.GroupBox2, "Image20", "LYRAPHONE", {218, 132, 252, 38});
  a.Image20->setAlignment(Qt::AlignCenter);
  QFont logo("Arial", 16, QFont::Bold);
  logo.setLetterSpacing(QFont::AbsoluteSpacing, 4);
  a.Image20->setFont(logo);
  a.Image20->setStyleSheet("color: rgb(115, 170, 255);");
  a.Image20->hide();
}

void layOutFilesArea(WindowAreas& a) {
  a.GroupBox3 = ui::group(a.client, "GroupBox3", "", {607, 2, 136, 178});
  const char* names[] = {"Button4", "Button5", "Button6", "Button7", "Button8", "Button9"};
  const char* captions[] = {"Save all presets to PC", "Load all presets from PC",
                            "Save this preset to PC", "Load a preset from PC",
                            "Search device ID",       "Search result"};
  QPushButton** buttons[] = {&a.Button4, &a.Button5, &a.Button6, &a.Button7, &a.Button8, &a.Button9};
  for (int i = 0; i < 6; ++i) {
    *buttons[i] = ui::button(a.GroupBox3, names[i], captions[i], {6, 12 + 27 * i, 124, 25});
    (*buttons[i])->setFont(QFont("Arial", 7));
  }
}

void layOutBoxes(WindowAreas& a) {
  a.RzGroupBox8 = ui::group(a.client, "RzGroupBox8", "", {7, 184, 736, 266});
  a.RzGroupBox12 = ui::group(a.client, "RzGroupBox12", "", {7, 452, 736, 278});
  a.RzGroupBox12->setFlat(true);

  a.searchProgressBox = ui::group(a.client, "searchProgressBox", "", {176, 232, 400, 96});
  a.searchProgressCaption = ui::label(a.searchProgressBox, "searchProgressCaption",
                                      "Checking available device ID                       ",
                                      {12, 10, 376, 20});
  a.searchProgress = progressBar(a.searchProgressBox, "searchProgress", {12, 34, 376, 20});
  a.Button2 = ui::button(a.searchProgressBox, "Button2", "Cancel", {300, 62, 88, 26});

  a.searchResultBox = ui::group(a.client, "searchResultBox", "", {7, 448, 736, 282});
  a.SpeedButton1 = new QToolButton(a.searchResultBox);
  a.SpeedButton1->setObjectName("SpeedButton1");
  a.SpeedButton1->setArrowType(Qt::LeftArrow);
  a.SpeedButton1->setGeometry(8, 10, 24, 22);
  a.searchResultLabel = ui::label(a.searchResultBox, "searchResultLabel",
                                  "search result:none     ", {40, 10, 400, 22});
  a.searchResultList = new QPlainTextEdit(a.searchResultBox);
  a.searchResultList->setObjectName("searchResultList");
  a.searchResultList->setReadOnly(true);
  a.searchResultList->setGeometry(8, 38, 720, 200);
  a.searchResultList->hide();
  a.RzButton11 = ui::button(a.searchResultBox, "RzButton11", "Close", {640, 246, 88, 28});
  a.searchResultBox->hide();

  a.RzGroupBox1 = ui::group(a.client, "RzGroupBox1", "", {208, 504, 334, 70});
  // The boxes shown over other areas paint their own background, so the greyed controls below
  // do not show through their text.
  for (QGroupBox* box : {a.searchProgressBox, a.searchResultBox, a.RzGroupBox1}) {
    box->setAutoFillBackground(true);
  }
  a.waitCaption = ui::label(a.RzGroupBox1, "waitCaption",
                            "Please wait,doing data exchange.                         ",
                            {12, 10, 310, 20});
  a.waitProgress = progressBar(a.RzGroupBox1, "waitProgress", {12, 36, 310, 20});
  a.RzGroupBox1->hide();

  a.initialDataBox = ui::group(a.client, "initialDataBox", "", {208, 448, 334, 210});
  a.initialDataClose = new QToolButton(a.initialDataBox);
  a.initialDataClose->setObjectName("initialDataClose");
  a.initialDataClose->setText("X");
  a.initialDataClose->setGeometry(306, 6, 22, 22);
  ui::label(a.initialDataBox, "initialDataCaption", "The initial data load mode:                      ",
            {12, 10, 290, 20});
  ui::label(a.initialDataBox, "initialDataOne", "1.", {12, 40, 20, 20});
  ui::label(a.initialDataBox, "initialDataSource",
            "Specify one device ID for initial data:                         ",
            {32, 40, 290, 20});
  a.RzEdit3 = ui::edit(a.initialDataBox, "RzEdit3", "1", {32, 66, 60, 24});
  selectAllOnEveryClick(a.RzEdit3);  // typing 0 into "1" gives "0", not "10"
  a.Button10 = ui::button(a.initialDataBox, "Button10", "OK", {100, 66, 60, 24});
  ui::label(a.initialDataBox, "initialDataTwo", "2.", {12, 110, 20, 20});
  a.Button11 = ui::button(a.initialDataBox, "Button11",
                          "From the computer into a group as the initial data",
                          {32, 106, 290, 48});
  a.Button11->setFont(QFont("Arial", 8));  // its caption is long for the box
  a.initialDataBox->setAutoFillBackground(true);
  a.initialDataBox->hide();
}

void layOutMenusAndStatus(QMainWindow& window, WindowAreas& a) {
  a.fileMenu = window.menuBar()->addMenu("File");
  a.loadPresetAction = a.fileMenu->addAction("Load a preset from PC");
  a.loadAllAction = a.fileMenu->addAction("Load all presets from PC");
  a.fileMenu->addSeparator();
  a.savePresetAction = a.fileMenu->addAction("Save this preset to PC");
  a.saveAllAction = a.fileMenu->addAction("Save all presets to PC");
  a.fileMenu->addSeparator();
  a.importEqAction = a.fileMenu->addAction("Import equaliser settings...");
  a.exportEqAction = a.fileMenu->addAction("Export equaliser settings...");
  a.exportResponseAction = a.fileMenu->addAction("Export response...");
  a.fileMenu->addSeparator();
  a.exitAction = a.fileMenu->addAction("Exit");

  a.helpMenu = window.menuBar()->addMenu("Help");
  a.helpMenu->addAction("Consult the supplied PDF file ");
  a.helpMenu->addAction("    or ");
  a.helpMenu->addAction("Visit our website");
  a.helpMenu->addAction(kWebAddress);
  a.helpMenu->addSeparator();
  a.helpMenu->addAction("LYRAPHONE Version 3.2.3");
  // The menu bar's own button for menus that do not fit.
  if (auto* more = window.menuBar()->findChild<QToolButton*>("qt_menubar_ext_button"))
    more->setAccessibleName("More menus");

  QStatusBar* bar = window.statusBar();
  bar->setFont(ui::arial(ui::kFontPoints, true));
  bar->setSizeGripEnabled(false);
  a.statusPanel0 = new QLabel("CONNECTION STATUS:");
  a.statusPanel1 = new QLabel(" Disconnected");
  a.statusPanel2 = new QLabel("Internal Temperature: 10 'C  |  Attenuation dB:  0 dB");
  a.statusPanel0->setObjectName("statusPanel0");
  a.statusPanel1->setObjectName("statusPanel1");
  a.statusPanel2->setObjectName("statusPanel2");
  a.statusPanel0->setFixedWidth(150);
  // Panel 1 is as wide as " Connected " with a usual port name needs (it grows for a longer
  // one), not the 235 pixels of the design: with those the temperature and attenuation of
  // panel 2 were cut off. The last panel is 50 pixels in the design, narrower than its text; it
  // takes the rest of the bar instead.
  for (QLabel* panel : {a.statusPanel0, a.statusPanel1, a.statusPanel2}) panel->setFont(bar->font());
  a.statusPanel1->setMinimumWidth(
      a.statusPanel1->fontMetrics().horizontalAdvance(" Connected ttyUSB10") + 8);
  a.statusPanel2->setMinimumWidth(50);
  bar->addWidget(a.statusPanel0);
  bar->addWidget(a.statusPanel1);
  bar->addWidget(a.statusPanel2, 1);
}

// Names a screen reader says, unique in the window, with the captions tied to their controls.
void describeAreas(WindowAreas& a) {
  a.comCaption->setBuddy(a.RzComboBox1);
  a.deviceIdCaption->setBuddy(a.RzComboBox6);
  a.setIdCaption->setBuddy(a.RzEdit2);
  if (auto* load = a.presetBox->findChild<QLabel*>("loadCaption")) load->setBuddy(a.RzComboBox10);
  if (auto* save = a.presetBox->findChild<QLabel*>("saveCaption")) save->setBuddy(a.RzComboBox11);
  if (auto* source = a.initialDataBox->findChild<QLabel*>("initialDataSource"))
    source->setBuddy(a.RzEdit3);

  ui::describe(a.RzComboBox1, "Port");
  ui::describe(a.RzComboBox6, "Device ID", "the device to connect to, 1 to 255");
  describeConnectionLight(a.connectionPicture, false);
  // Button3 keeps its caption, "Connect" or "Disconnect", as its name.
  ui::describe(a.RzComboBox10, "Preset to load");
  ui::describe(a.RzButton9, "Load preset");
  ui::describe(a.RzComboBox11, "User preset to save into");
  ui::describe(a.RzEdit1, "Preset name", "up to 19 characters; Enter saves");
  ui::describe(a.RzButton10, "Save preset");
  ui::describe(a.RzButton8, "Broadcast Mode", "addresses every device on the bus at once");
  ui::describeStates(a.RzButton8, "off", "on");
  ui::describe(a.RzEdit2, "New device ID", "1 to 255");
  ui::describe(a.Button1, "Set device ID");
  ui::describe(a.temperatureList, "Temperature limit");
  ui::describe(a.Button2, "Cancel search");
  ui::describe(a.SpeedButton1, "Back");
  ui::describe(a.searchResultList, "Search result list");
  ui::describe(a.RzButton11, "Close search result");
  ui::describe(a.RzEdit3, "Device ID for the initial data", "1 to 255");
  ui::describe(a.Button10, "Initial data from this device ID");
  ui::describe(a.initialDataClose, "Close and disconnect");
}

}  // namespace

void describeConnectionLight(QLabel* light, bool connected) {
  light->setAccessibleName(connected ? "Connection: connected" : "Connection: not connected");
}

WindowAreas layOutWindow(QMainWindow& window) {
  WindowAreas a;
  // The areas keep their places in a client area of their own size, inside a scroll area that
  // shows scroll bars only where the window is smaller (see WindowFit.h).
  auto* scroll = new QScrollArea(&window);
  scroll->setObjectName("clientScroll");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);  // Tab goes to the controls, never to the scroll area
  scroll->viewport()->setBackgroundRole(QPalette::Window);
  // The bars that a small screen gets are operated by mouse: a screen reader names them too.
  scroll->verticalScrollBar()->setAccessibleName("Scroll the window up and down");
  scroll->horizontalScrollBar()->setAccessibleName("Scroll the window left and right");
  a.client = new QWidget;
  a.client->setObjectName("client");
  a.client->setFixedSize(kClientSize);
  scroll->setWidget(a.client);
  window.setCentralWidget(scroll);
  keepFocusInView(scroll);
  layOutConnectionArea(a);
  layOutFilesArea(a);
  layOutBoxes(a);
  layOutMenusAndStatus(window, a);
  describeAreas(a);
  designSize(window);  // measured while the menus show
  return a;
}

}  // namespace lyra
