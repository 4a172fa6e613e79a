#pragma once
// `Tmainfrm`: toolbar, the page control `pgcMain` with its seven pages, the
// status bar `SBar` with the progress bar over panel 4, and the data
// module's main menu. The window shows the workspace's models and hands
// every user command to the data module.

#include <QMainWindow>

class QLabel;
class QProgressBar;
class QStatusBar;
class QTabWidget;
class QToolBar;

namespace vmk {

struct JournalSpec;

class DataModule;
class GridPanel;
class JobCancel;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kWidth = 776;
  static constexpr int kHeight = 672;
  static constexpr int kPanelWidths[5] = {120, 160, 150, 150, 150};

  // `FormCreate`: caption, ParamsModified := false, the daylight-saving
  // check. The data module's creation comes after.
  explicit MainWindow(DataModule& dm, QWidget* parent = nullptr);

  QTabWidget* pages() const { return m_pages; }
  QStatusBar* statusBarWidget() const { return m_sbar; }
  QProgressBar* progressBar() const { return m_progress; }
  // Esc and the "Прервать" button of a running job.
  JobCancel* jobCancel() const { return m_jobCancel; }
  GridPanel* gridPanel(int tag) const;

  // `SBarResize`: the progress bar spans from panel 4 to the right edge
  // less 26 pixels: status-bar width - (panels 0..3) - 26.
  static int progressBarWidth(int statusBarWidth);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildToolbar();
  void buildStatusBar();
  void buildJobCancel();
  void buildPages();
  QWidget* buildPollingPage();
  QWidget* buildDinamicPage();
  QWidget* buildParamPage();
  // The parameter (tag 1) or setting (tag 2) grid with its header, heading
  // rows drawn in the fixed colour and the double-click edit; `valueWidth`
  // is the header section of the value column, `valueColumn` its width.
  GridPanel* buildCatalogueGrid(int tag, const QString& header, const QString& gridName,
                                int valueWidth, int valueColumn);
  QWidget* buildSettingsPage();
  QWidget* buildJournalPage(const JournalSpec& journal);
  void bindPageState();
  void SBarResize();
  void exitApplication();

  DataModule& m_dm;
  QToolBar* m_toolbar = nullptr;
  QTabWidget* m_pages = nullptr;
  QStatusBar* m_sbar = nullptr;
  QLabel* m_panels[5] = {};
  QProgressBar* m_progress = nullptr;
  JobCancel* m_jobCancel = nullptr;
  QList<GridPanel*> m_grids;
  bool m_followingModel = false;
  bool m_exiting = false;
};

}  // namespace vmk
