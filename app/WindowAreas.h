#pragma once
// The window's areas and the controls that are not part of an editing panel, laid out once at
// start. The subsystem objects that handle these controls get pointers to them from TForm1.

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace lyra {

struct WindowAreas {
  QWidget* client = nullptr;  // the window's client area, below the menus

  // Connection and presets (top left). The device box.
  QGroupBox* GroupBox2 = nullptr;
  QLabel* comCaption = nullptr;       // "COM :"
  QComboBox* RzComboBox1 = nullptr;   // port list
  QLabel* deviceIdCaption = nullptr;  // "Device ID:"
  QComboBox* RzComboBox6 = nullptr;   // DeviceId list "1".."255"
  QLabel* connectionPicture = nullptr;  // connected / no link, drawn by Timer13
  QPushButton* Button3 = nullptr;     // connect / disconnect
  QLabel* noPortHint = nullptr;       // below the lists while the system has no serial port
  QGroupBox* presetBox = nullptr;
  QComboBox* RzComboBox10 = nullptr;  // load list "Pre0:".."Usr7:"
  QPushButton* RzButton9 = nullptr;   // "Load"
  QComboBox* RzComboBox11 = nullptr;  // save list "Usr6:", "Usr7:"
  QLineEdit* RzEdit1 = nullptr;       // preset name, 19 characters
  QPushButton* RzButton10 = nullptr;  // "Save"
  QLabel* RzLabel14 = nullptr;        // "Last loaded preset :    "
  QPushButton* RzButton8 = nullptr;   // "Broadcast\rMode"
  QLabel* setIdCaption = nullptr;     // "Set device ID :"
  QLineEdit* RzEdit2 = nullptr;       // set-ID field
  QPushButton* Button1 = nullptr;     // set-ID "OK"
  QComboBox* temperatureList = nullptr;  // hidden: ">=70 °C" .. "<=10 °C"

  // PC files and search (top right).
  QGroupBox* GroupBox3 = nullptr;
  QPushButton* Button4 = nullptr;  // "Save all presets to PC"
  QPushButton* Button5 = nullptr;  // "Load all presets from PC"
  QPushButton* Button6 = nullptr;  // "Save this preset to PC"
  QPushButton* Button7 = nullptr;  // "Load a preset from PC"
  QPushButton* Button8 = nullptr;  // "Search device ID"
  QPushButton* Button9 = nullptr;  // "Search result"

  // Response graph and editing pages.
  QGroupBox* RzGroupBox8 = nullptr;   // the graph box; the graph widget goes inside
  QGroupBox* RzGroupBox12 = nullptr;  // the editing pages
  QLabel* Image20 = nullptr;          // picture shown once the start-up search has ended

  // Search progress and result.
  QGroupBox* searchProgressBox = nullptr;
  QLabel* searchProgressCaption = nullptr;
  QProgressBar* searchProgress = nullptr;
  QPushButton* Button2 = nullptr;  // search "Cancel"
  QGroupBox* searchResultBox = nullptr;
  QLabel* searchResultLabel = nullptr;  // "search result:none     "
  QPlainTextEdit* searchResultList = nullptr;
  QPushButton* RzButton11 = nullptr;   // "Close"
  QToolButton* SpeedButton1 = nullptr;  // back

  // Wait box.
  QGroupBox* RzGroupBox1 = nullptr;
  QLabel* waitCaption = nullptr;
  QProgressBar* waitProgress = nullptr;

  // Initial data for a group (BroadcastMode).
  QGroupBox* initialDataBox = nullptr;
  QLineEdit* RzEdit3 = nullptr;      // source DeviceId
  QPushButton* Button10 = nullptr;   // "OK": from one device
  QPushButton* Button11 = nullptr;   // "From the computer into a group as the initial data"
  QToolButton* initialDataClose = nullptr;

  // Menus and status bar.
  QMenu* fileMenu = nullptr;
  QMenu* helpMenu = nullptr;
  QAction* loadPresetAction = nullptr;
  QAction* loadAllAction = nullptr;
  QAction* savePresetAction = nullptr;
  QAction* saveAllAction = nullptr;
  QAction* importEqAction = nullptr;        // "Import equaliser settings..."
  QAction* exportEqAction = nullptr;        // "Export equaliser settings..."
  QAction* exportResponseAction = nullptr;  // "Export response..."
  QAction* exitAction = nullptr;
  QLabel* statusPanel0 = nullptr;  // "CONNECTION STATUS:"
  QLabel* statusPanel1 = nullptr;  // " Disconnected" / " Connected " + port, red or green
  QLabel* statusPanel2 = nullptr;  // temperature and attenuation
};

// Lays out every area in the window and returns the controls. Panels of the editing pages are
// made by their own classes inside RzGroupBox12.
WindowAreas layOutWindow(QMainWindow& window);

// The maker's web address shown in the Help menu.
inline constexpr const char* kWebAddress = "https://lyraphone.example";

// The connection light's name tells what its colour shows.
void describeConnectionLight(QLabel* light, bool connected);

// Below the lists while the port list holds nothing but Demo.
inline constexpr const char* kNoPortHint =
    "No serial port found. Connect a serial adapter, or choose Demo to try simulated devices.";

}  // namespace lyra
