#include "app/Language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <cstdlib>
#include <string_view>

#include "app/ProgramSettings.h"
#include "app/QtText.h"
#include "engine/TesselLocale.h"

namespace verimo {
namespace {

const QString kTranslatorName = QStringLiteral("VerimoEnglish");

// Answers the program's captions (QtText's Tr) with their English texts.
// It belongs to the application object, so it lives as long as the windows.
class TEnglishTranslator : public QTranslator {
 public:
  explicit TEnglishTranslator(QObject* parent) : QTranslator(parent) { setObjectName(kTranslatorName); }

  QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                    int /*n*/) const override {
    if (qstrcmp(context, kCaptionContext) != 0 || !sourceText) return {};
    const std::optional<WideStringView> english = FindEnglishCaption(ToWide(QString::fromUtf8(sourceText)));
    return english ? ToQString(*english) : QString();
  }
  bool isEmpty() const override { return false; }
};

TEnglishTranslator* InstalledTranslator() {
  QCoreApplication* application = QCoreApplication::instance();
  return application ? application->findChild<TEnglishTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly)
                     : nullptr;
}

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

}  // namespace

std::string MessagesLocaleOfEnvironment() {
  const std::string_view languages = Variable("LANGUAGE");
  if (!languages.empty()) {
    const std::string_view first = languages.substr(0, languages.find(':'));
    if (!first.empty()) return std::string(first);
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string_view value = Variable(name);
    if (!value.empty()) return std::string(value);
  }
  return {};
}

TLanguage ProgramLanguage(const TProgramSettings& settings) {
  if (settings.language == "tr") return TLanguage::Turkish;
  if (settings.language == "en") return TLanguage::English;
  return LanguageOfLocale(MessagesLocaleOfEnvironment());
}

void ApplyProgramLanguage(TLanguage language) {
  TEnglishTranslator* installed = InstalledTranslator();
  if (language == TLanguage::English) {
    if (!installed) QCoreApplication::installTranslator(new TEnglishTranslator(QCoreApplication::instance()));
    TTesselLocale::Instance().OnGetText = [](int ident) {
      const std::optional<WideStringView> english = FindEnglishResourceString(ident);
      return english ? WideString(*english) : WideString();
    };
  } else {
    delete installed;  // also removes it from the application's translators
    TTesselLocale::Instance().OnGetText = nullptr;
  }
}

TLanguage CurrentProgramLanguage() { return InstalledTranslator() ? TLanguage::English : TLanguage::Turkish; }

}  // namespace verimo
