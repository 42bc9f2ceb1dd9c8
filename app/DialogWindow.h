#pragma once

#include <QDialog>
#include <QListWidget>
#include <functional>

#include "dialog/TesselDialogForm.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace verimo {

class TfmTesselProgress;
class THTMLOptionsPage;
class TODFOptionsPage;
class TPDFOptionsPage;
class TPackageOptionsPage;
class TRTFOptionsPage;

// A field list of the "Alanlar" page: entries can be dragged to the other
// list (never reordered within one); a drop reports the source row.
class TFieldListWidget : public QListWidget {
 public:
  static constexpr const char* kMimeType = "application/x-verimo-field";
  using TDropHandler = std::function<void(const QString& sourceList, int sourceRow)>;

  explicit TFieldListWidget(QWidget* parent);
  TDropHandler OnFieldDropped;

 protected:
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool AcceptsDrag(const QMimeData* data) const;
};

// The export form: a view of TTesselDialogForm. Every user action goes to
// the form state, and the widgets are refreshed from it.
class TTesselDialogF : public QDialog {
 public:
  // The platform's file dialogs, replaceable (tests): they answer the chosen
  // path, or an empty text when the user cancels.
  using TSaveFileAsker = std::function<QString(const QString& caption, const QString& filter,
                                               const QString& defaultSuffix, const QString& start)>;
  using TOpenFileAsker =
      std::function<QString(const QString& caption, const QString& filter, const QString& start)>;

  TTesselDialogF(TTesselDialogForm& form, QWidget* parent = nullptr);
  ~TTesselDialogF() override;

  TTesselDialogForm& Form() { return form_; }
  TSaveFileAsker AskSaveFileName;
  TOpenFileAsker AskOpenFileName;

  // Shows the form's state in every control.
  void Refresh();
  // The progress window of the run in progress, or nullptr.
  TfmTesselProgress* ProgressWindow() const { return progressWindow_; }

  // The actions behind the controls (also reachable through the controls).
  void bStartClick();
  void bBrowseClick();
  void miSaveOptionsClick();
  void miLoadOptionsClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void BuildTopPanel();
  void BuildBottomPanel();
  void BuildPages();
  int WidestTabRow() const;
  QWidget* BuildExportTypePage();
  QWidget* BuildTypeListPage();
  QWidget* BuildConstraintsPage();
  QWidget* BuildFieldsPage();
  QWidget* BuildFormatsPage();
  QWidget* BuildHeaderFooterPage();
  QWidget* BuildCaptionsPage();
  QWidget* BuildAsciiPage();
  QWidget* BuildAccessPage();
  QWidget* BuildSQLPage();
  QWidget* BuildXMLPage();
  QWidget* BuildExcelPage();
  void ConnectControls();

  QString WindowCaption() const;
  void RefreshTypeList();
  void RefreshPages();
  void RefreshFields();
  void RefreshFormats();
  void RefreshUserFormats();
  void RefreshCaptions();
  void RefreshConstraints();
  void RefreshTypeOptions();

  void TypeClicked(int index);
  void MoveFromAvailable(int row);
  void MoveFromExported(int row);
  void FieldDropped(QListWidget* target, const QString& sourceList, int sourceRow);
  void UserFormatFieldChanged();
  void CaptionCellChanged(int row, int column);
  void ShowError(const QString& message);

  TTesselDialogForm& form_;
  bool refreshing_ = false;
  TfmTesselProgress* progressWindow_ = nullptr;

  QLabel* laFileName_ = nullptr;
  QLineEdit* edFileName_ = nullptr;
  QPushButton* bBrowse_ = nullptr;
  QCheckBox* chShowFile_ = nullptr;
  QCheckBox* chPrintFile_ = nullptr;
  QPushButton* bTools_ = nullptr;
  QAction* miSaveOptions_ = nullptr;
  QAction* miLoadOptions_ = nullptr;
  QPushButton* bStart_ = nullptr;
  QPushButton* bCancel_ = nullptr;

  QTabWidget* pages_ = nullptr;
  QWidget* tshExportType_ = nullptr;
  QTabWidget* typeSubPages_ = nullptr;
  QWidget* tshExportOptions_ = nullptr;
  QWidget* tshFields_ = nullptr;
  QWidget* tshFormats_ = nullptr;
  QWidget* tshHeaderFooter_ = nullptr;
  QWidget* tshCaptions_ = nullptr;
  QWidget* tshAscii_ = nullptr;
  QWidget* tshSQL_ = nullptr;
  QWidget* tshXML_ = nullptr;
  THTMLOptionsPage* tshHTML_ = nullptr;
  TPDFOptionsPage* tshPDF_ = nullptr;
  QWidget* tshExcel_ = nullptr;
  TPackageOptionsPage* tshXlsx_ = nullptr;
  TPackageOptionsPage* tshDocx_ = nullptr;
  TODFOptionsPage* tshODS_ = nullptr;
  TODFOptionsPage* tshODT_ = nullptr;
  TRTFOptionsPage* tshWordRTF_ = nullptr;

  QButtonGroup* rgExportType_ = nullptr;
  QList<QRadioButton*> typeButtons_;

  QCheckBox* chGoToFirstRecord_ = nullptr;
  QCheckBox* chCurrentRecordOnly_ = nullptr;
  QCheckBox* chExportEmpty_ = nullptr;
  QLineEdit* edSkipRecCount_ = nullptr;
  QRadioButton* rbExportAll_ = nullptr;
  QRadioButton* rbExportOnly_ = nullptr;
  QLineEdit* edExportRecCount_ = nullptr;

  TFieldListWidget* lstAvailable_ = nullptr;
  TFieldListWidget* lstExported_ = nullptr;
  QPushButton* bAddOneExportedField_ = nullptr;
  QPushButton* bAddAllExportedField_ = nullptr;
  QPushButton* bDelOneExportedField_ = nullptr;
  QPushButton* bDelAllExportedField_ = nullptr;

  QList<QLineEdit*> patternEdits_;
  QLineEdit* edDecimalSeparator_ = nullptr;
  QLineEdit* edDateSeparator_ = nullptr;
  QLineEdit* edThousandSeparator_ = nullptr;
  QLineEdit* edTimeSeparator_ = nullptr;
  QWidget* gbSeparators_ = nullptr;
  QComboBox* cbUserFormatField_ = nullptr;
  QComboBox* cbUserFormatPattern_ = nullptr;
  QListWidget* lstUserFormats_ = nullptr;
  QPushButton* bAddUserFormat_ = nullptr;
  QPushButton* bEditUserFormat_ = nullptr;
  QPushButton* bDeleteUserFormat_ = nullptr;
  QPushButton* bClearUserFormats_ = nullptr;

  QPlainTextEdit* meHeader_ = nullptr;
  QPlainTextEdit* meFooter_ = nullptr;

  QCheckBox* chAllowCaptions_ = nullptr;
  QTableWidget* sgCaptions_ = nullptr;
  QLabel* laCaptionRow_ = nullptr;
  QSpinBox* edCaptionRow_ = nullptr;

  QWidget* gbTXT_ = nullptr;
  QCheckBox* chTXTAutoCalcColWidth_ = nullptr;
  QSpinBox* edTXTSpacing_ = nullptr;
  QWidget* gbCSV_ = nullptr;
  QLineEdit* edCSVComma_ = nullptr;
  QLineEdit* edCSVQuote_ = nullptr;
  QCheckBox* chCSVQuoteStrings_ = nullptr;

  QWidget* tshAccess_ = nullptr;
  QLineEdit* edAccessTableName_ = nullptr;
  QLineEdit* edAccessPassword_ = nullptr;
  QCheckBox* chAccessCreateTable_ = nullptr;
  QComboBox* cbSQLScriptType_ = nullptr;
  QLineEdit* edSQLTableName_ = nullptr;
  QCheckBox* chSQLCreateTable_ = nullptr;
  QSpinBox* edSQLCommitRecCount_ = nullptr;
  QCheckBox* chSQLCommitAfterScript_ = nullptr;
  QLineEdit* edSQLCommitStatement_ = nullptr;
  QLineEdit* edSQLStatementTerm_ = nullptr;
  QCheckBox* chXMLStandalone_ = nullptr;
  QComboBox* cbXMLEncoding_ = nullptr;
  QRadioButton* rbXMLDatapacket_ = nullptr;
  QRadioButton* rbXMLAccess_ = nullptr;
  QCheckBox* chXMLSchema_ = nullptr;
  QLineEdit* edXLSSheetTitle_ = nullptr;
  QLineEdit* edXLSPageHeader_ = nullptr;
  QLineEdit* edXLSPageFooter_ = nullptr;
  QCheckBox* chXLSAutoCalcColWidth_ = nullptr;
  QCheckBox* chXLSCaptionBold_ = nullptr;
  QComboBox* cbXLSStripType_ = nullptr;
};

// What an export run of the Qt form needs: the progress window over the
// form and the stop question as a message box.
class TQtDialogUI : public TTesselDialogUI {
 public:
  explicit TQtDialogUI(QWidget* owner, std::function<void(TfmTesselProgress*)> onProgressWindow = {});
  std::unique_ptr<TTesselProgressView> ShowProgress(std::function<void()> abortExporter) override;
  bool ConfirmStop() override;

 private:
  QWidget* owner_;
  std::function<void(TfmTesselProgress*)> onProgressWindow_;
};

// Shows the export form modally: the presenter the Qt program gives the
// dialog component.
void ShowDialogForm(TTesselDialogForm& form, QWidget* parent);

}  // namespace verimo
