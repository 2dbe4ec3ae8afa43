#include <gtest/gtest.h>

#include "skin/SkinTestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <iterator>
#include <memory>

#include "app/OwnControls.h"
#include "devices/CDeviceOptionUI.h"
#include "keys/KeyTables.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinValue.h"

using namespace toolkit;

// Every text id the program shows, whether a layout names it or the code
// asks for it, must have a text in every language file: a missing one shows
// up on screen as the bare id. The ids are gathered from
//   - the layouts and menus of skin/ (controls marked resourcetext="true":
//     their text and tooltip; menu items so marked: their text),
//   - the C++ sources of src/, by the explicit list of call patterns in
//     kCodeRules below,
//   - the key and function tables of src/keys (every TextId),
//   - ids the code composes (the device kind names of the device bar),
//   - the data files that carry ids (the light mode names of
//     DefaultData/default_light.json, the language names of
//     DefaultData/Language.config).
namespace {

using skin_test::kSkinDir;
using skin_test::kSourceDir;
using skin_test::ListFiles;
using skin_test::ListSkinFiles;
using skin_test::RootElement;

// Ids that are used but have no text yet in lan_cn.xml/lan_en.xml. They are
// on their way in another change; that change empties this list. An id
// listed here is not looked for, and the list itself is checked: an entry
// that is no longer used, or that every language file now has, must go.
const QSet<QString> kIdsAddedElsewhere = {};

// Where an id is used, for the failure messages: "file:line".
using Uses = QMap<QString, QStringList>;

QString Relative(const QString& path) { return QDir(kSourceDir).relativeFilePath(path); }

QStringList LanguageFiles() {
  QStringList languages;
  for (const QString& path : ListSkinFiles())
    if (RootElement(path) == "Language")
      languages << path;
  return languages;
}

void Add(Uses& uses, const QString& id, const QString& where) {
  if (!id.isEmpty() && !uses[id].contains(where))
    uses[id] << where;
}

// ---- Layouts and menus -------------------------------------------------

bool IsResourceText(const QString& value) {
  return SkinValue::ParseBool(value).value_or(false);
}

// The `Default` attribute lists of the windows, by tag. The paint manager
// applies them to every control of that tag it builds, before the control's
// own attributes; they are taken for every layout here.
QMap<QString, QMap<QString, QString>> WindowDefaults(const QStringList& files) {
  QMap<QString, QMap<QString, QString>> defaults;
  for (const QString& path : files) {
    if (RootElement(path) != "Window")
      continue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
      continue;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Default"))
        continue;
      const QString tag = xml.attributes().value("name").toString();
      const auto list = SkinValue::ParseAttributeList(xml.attributes().value("value").toString());
      if (tag.isEmpty() || !list)
        continue;
      for (const auto& [name, value] : *list)
        defaults[tag][name] = value;
    }
  }
  return defaults;
}

// A control shows its text and its tool tip as language texts when it is
// marked resourcetext (CControlUI::GetText/GetToolTip); a menu item shows its
// text so (CMenuWnd). Empty values are no ids.
void CollectFromLayout(const QString& path, const QMap<QString, QMap<QString, QString>>& defaults,
                       Uses& uses) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  QXmlStreamReader xml(&file);
  bool menu = false;
  bool first = true;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    const QString tag = xml.name().toString();
    if (first) {
      menu = tag == "Menu";
      first = false;
    }
    if (tag == "Font" || tag == "Default" || tag == "Include")
      continue;
    QMap<QString, QString> attributes = menu ? QMap<QString, QString>() : defaults.value(tag);
    for (const auto& attribute : xml.attributes())
      attributes[attribute.name().toString()] = attribute.value().toString();
    if (!IsResourceText(attributes.value("resourcetext")))
      continue;
    const QString where = QStringLiteral("%1:%2").arg(Relative(path)).arg(xml.lineNumber());
    Add(uses, attributes.value("text"), where);
    if (!menu)
      Add(uses, attributes.value("tooltip"), where);
  }
  ASSERT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
}

Uses LayoutIds() {
  Uses uses;
  QStringList layouts;
  for (const QString& path : ListSkinFiles()) {
    const QString root = RootElement(path);
    if (root != "Language" && root != "Resources")
      layouts << path;
  }
  const auto defaults = WindowDefaults(layouts);
  for (const QString& path : layouts)
    CollectFromLayout(path, defaults, uses);
  return uses;
}

// ---- C++ sources -------------------------------------------------------

// The source with its comments blanked out (line breaks kept, so offsets
// still give the line), leaving string and character literals alone.
QString WithoutComments(const QString& code) {
  QString out = code;
  const qsizetype n = code.size();
  auto isIdentifier = [](QChar c) { return c.isLetterOrNumber() || c == '_'; };
  qsizetype i = 0;
  while (i < n) {
    const QChar c = code[i];
    if (c == '/' && i + 1 < n && code[i + 1] == '/') {
      while (i < n && code[i] != '\n')
        out[i++] = ' ';
    } else if (c == '/' && i + 1 < n && code[i + 1] == '*') {
      const qsizetype end = code.indexOf(QStringLiteral("*/"), i + 2);
      const qsizetype stop = end < 0 ? n : end + 2;
      for (; i < stop; ++i)
        if (code[i] != '\n')
          out[i] = ' ';
    } else if (c == '"' && i > 0 && code[i - 1] == 'R' && (i < 2 || !isIdentifier(code[i - 2]))) {
      // A raw string: R"delimiter( ... )delimiter".
      const qsizetype open = code.indexOf('(', i);
      if (open < 0)
        break;
      const QString close = ')' + code.mid(i + 1, open - i - 1) + '"';
      const qsizetype end = code.indexOf(close, open);
      i = end < 0 ? n : end + close.size();
    } else if (c == '"' || c == '\'') {
      for (++i; i < n && code[i] != c && code[i] != '\n'; ++i)
        if (code[i] == '\\')
          ++i;
      ++i;
    } else {
      ++i;
    }
  }
  return out;
}

// A way the code hands a text id to the language table. Every capture
// group of `pattern` that matched is an id. With a `file`, the rule holds
// only in that source file (relative to the source tree). `inUse`: the code
// uses the pattern today, so it must find at least one id (a rule that stops
// finding anything is out of date with the code it describes).
struct CodeRule {
  const char* what;
  const char* file;
  const char* pattern;
  bool inUse = true;
};

// A string literal, as the rules capture it.
#define LIT R"~("([^"\\\n]*)")~"
// Optionally wrapped for a QString: QStringLiteral("..."), QLatin1String(...)
#define QLIT R"~((?:(?:QStringLiteral|QLatin1String|QString::fromLatin1|QString::fromUtf8|QString)\(\s*)?)~" LIT

const CodeRule kCodeRules[] = {
    // CResourceManager::GetText(id), however the id is wrapped. A control's
    // GetText() takes no argument and is not matched.
    {"language table lookup", nullptr, R"~(\bGetText\(\s*)~" QLIT},
    // The keyboard page's helper around CResourceManager::GetText; today it
    // is only given ids from the key tables, a literal would be caught here.
    {"LanguageText(id)", nullptr, R"~(\bLanguageText\(\s*)~" QLIT, false},
    // In this file Text(id) is the language lookup. (Elsewhere Text(name)
    // may read a control's text by the control's name, as in
    // CLightControlUI: those are no ids.)
    {"Text(id)", "src/devices/CVarnisKeyboardDevice.cpp", R"~(\bText\(\s*)~" LIT R"~(\s*\))~"},
    // Key labels: Text(context, "id") or Text(context, condition ? "a" : "b").
    {"key label Text(context, id)", nullptr,
     R"~(\bText\(\s*context\s*,\s*(?:[^;"]*\?\s*)?)~" LIT R"~((?:\s*:\s*)~" LIT R"~()?)~"},
    // Questions and messages of the profile commands: Confirm(languageId),
    // Tell(text, isLanguageId) and Ask(text, isLanguageId, buttons) with
    // isLanguageId true.
    {"Confirm(languageId)", nullptr, R"~(\bConfirm\(\s*)~" LIT},
    {"Tell/Ask(id, true)", nullptr, R"~(\b(?:Tell|Ask)\(\s*)~" QLIT R"~(\s*\)?\s*,\s*true\b)~"},
    // ShowMessageBox(owner, title, text, dpi, textIsLanguageId = true, ...).
    {"ShowMessageBox(.., id, .., true)", nullptr,
     R"~(\bShowMessageBox\(\s*[^,;]*,\s*[^,;]*,\s*)~" QLIT R"~(\s*\)?\s*,\s*[^,;]*,\s*true\b)~"},
    // Message texts are ids by their name, wherever they are written.
    {"message text", nullptr, R"~("(message_text_\d+)")~"},
    // The mouse pad's phone status, shown as the tool tip of a resource text
    // control (CMpDevicePowerUI).
    {"phone status", nullptr, R"~("(Phone_type_\w+)")~"},
    // The direction buttons' texts of the lighting panel.
    {"direction texts", "src/lighting/LightPanelLayout.cpp",
     R"~(\bTexts\s+\w+\s*\{\s*)~" LIT R"~(\s*,\s*)~" LIT R"~(\s*\})~"},
};

#undef QLIT
#undef LIT

struct SourceFile {
  QString relative;
  QString code;  // without comments
};

QList<SourceFile> SourceFiles() {
  QList<SourceFile> sources;
  for (const QString& path : ListFiles(kSourceDir + "/src", {"*.cpp", "*.h"})) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
      continue;
    sources.append({Relative(path), WithoutComments(QString::fromUtf8(file.readAll()))});
  }
  return sources;
}

// The ids the rules find, and how many each rule found.
Uses CodeIds(QList<int>* perRule = nullptr) {
  Uses uses;
  const QList<SourceFile> sources = SourceFiles();
  for (const CodeRule& rule : kCodeRules) {
    const QRegularExpression pattern(QString::fromUtf8(rule.pattern));
    EXPECT_TRUE(pattern.isValid()) << rule.what << ": " << pattern.errorString().toStdString();
    int found = 0;
    for (const SourceFile& source : sources) {
      if (rule.file != nullptr && source.relative != QLatin1String(rule.file))
        continue;
      for (auto it = pattern.globalMatch(source.code); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const int line = QStringView(source.code).left(match.capturedStart()).count('\n') + 1;
        for (int group = 1; group <= pattern.captureCount(); ++group) {
          if (match.capturedLength(group) <= 0)
            continue;
          Add(uses, match.captured(group), QStringLiteral("%1:%2").arg(source.relative).arg(line));
          ++found;
        }
      }
    }
    if (perRule != nullptr)
      perRule->append(found);
  }
  return uses;
}

// Every TextId of the key and function tables.
Uses KeyTableIds() {
  Uses uses;
  const QString where = QStringLiteral("src/keys/KeyTables.cpp");
  auto addRows = [&](const auto& table) {
    for (const auto& row : table)
      Add(uses, QString::fromUtf8(row.TextId), where);
  };
  addRows(keys::KeyNameTable);
  addRows(keys::MouseButtonTable);
  addRows(keys::DpiFunctionTable);
  addRows(keys::MediaFunctionTable);
  addRows(keys::SystemFunctionTable);
  addRows(keys::ShortcutKeyTable);
  addRows(keys::ShortcutIndexTable);
  addRows(keys::MouseFunctionTable);
  for (const char* id : keys::GunNames)
    Add(uses, QString::fromUtf8(id), where);
  for (const char* id : keys::MouseButtonNames)
    Add(uses, QString::fromUtf8(id), where);
  return uses;
}

// ---- Data files --------------------------------------------------------

void CollectJsonStrings(const QJsonValue& value, const QString& key, const QString& where, Uses& uses) {
  if (value.isArray()) {
    for (const QJsonValue& item : value.toArray())
      CollectJsonStrings(item, key, where, uses);
  } else if (value.isObject()) {
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
      if (it.key() == key && it.value().isString())
        Add(uses, it.value().toString(), where);
      else
        CollectJsonStrings(it.value(), key, where, uses);
    }
  }
}

// The light mode names (shown as language texts in the mode list) and the
// languages' own names.
Uses DataFileIds() {
  Uses uses;
  const std::pair<const char*, const char*> files[] = {
      {"DefaultData/default_light.json", "LightName"},
      {"DefaultData/Language.config", "Language_text"},
  };
  for (const auto& [name, key] : files) {
    QFile file(kSourceDir + '/' + QLatin1String(name));
    if (!file.exists())
      continue;
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << name << ": " << error.errorString().toStdString();
    CollectJsonStrings(document.object(), QLatin1String(key), QLatin1String(name), uses);
  }
  return uses;
}

// ---- Language files ----------------------------------------------------

struct LanguageFile {
  QString path;
  QMap<QString, QString> texts;  // id -> value
};

LanguageFile ReadLanguage(const QString& path) {
  LanguageFile language{path, {}};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return language;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text"))
      language.texts.insert(xml.attributes().value("id").toString(),
                            xml.attributes().value("value").toString());
  return language;
}

QList<LanguageFile> Languages() {
  QList<LanguageFile> languages;
  for (const QString& path : LanguageFiles())
    languages.append(ReadLanguage(path));
  return languages;
}

void Merge(Uses& into, const Uses& from) {
  for (auto it = from.begin(); it != from.end(); ++it)
    for (const QString& where : it.value())
      Add(into, it.key(), where);
}

using skin_test::OwnTags;

class LanguageCoverage : public skin_test::SkinTest {
 protected:
  // The names of the device kinds in the device bar: the shipped selector,
  // given every kind.
  static Uses DeviceKindIds() {
    Uses uses;
    CPaintManagerUI pm;
    CDialogBuilder builder;
    OwnTags tags;
    std::unique_ptr<CControlUI> root(
        builder.Create("XML/CustomControlXML/DeviceOption.xml", {}, &tags, &pm));
    auto* selector = qobject_cast<CDeviceOptionUI*>(root.get());
    EXPECT_NE(selector, nullptr);
    if (selector == nullptr || selector->NameControl() == nullptr) {
      ADD_FAILURE() << "the device selector has no name control";
      return uses;
    }
    for (int type = 0; type <= 8; ++type) {
      for (int role = 0; role <= 1; ++role) {
        selector->SetKindValues(type, role);
        CControlUI* name = selector->NameControl();
        EXPECT_TRUE(name->IsResourceText());
        Add(uses, name->GetRawText(), QStringLiteral("src/devices/CDeviceOptionUI.cpp"));
      }
    }
    return uses;
  }

  Uses AllIds() {
    Uses uses = LayoutIds();
    Merge(uses, CodeIds());
    Merge(uses, KeyTableIds());
    Merge(uses, DeviceKindIds());
    Merge(uses, DataFileIds());
    return uses;
  }
};

}  // namespace

TEST_F(LanguageCoverage, EveryUsedIdHasATextInEveryLanguage) {
  const QList<LanguageFile> languages = Languages();
  ASSERT_GE(languages.size(), 2);
  const Uses uses = AllIds();
  for (const LanguageFile& language : languages) {
    ASSERT_FALSE(language.texts.isEmpty()) << language.path.toStdString();
    for (auto it = uses.begin(); it != uses.end(); ++it) {
      if (kIdsAddedElsewhere.contains(it.key()) || language.texts.contains(it.key()))
        continue;
      ADD_FAILURE() << Relative(language.path).toStdString() << ": no text for \""
                    << it.key().toStdString() << "\", used at "
                    << it.value().join(", ").toStdString();
    }
  }
}

TEST_F(LanguageCoverage, IdsAddedElsewhereAreStillMissing) {
  const Uses uses = AllIds();
  const QList<LanguageFile> languages = Languages();
  for (const QString& id : kIdsAddedElsewhere) {
    EXPECT_TRUE(uses.contains(id)) << "\"" << id.toStdString()
                                   << "\" is no longer used: take it off kIdsAddedElsewhere";
    bool everywhere = !languages.isEmpty();
    for (const LanguageFile& language : languages)
      everywhere = everywhere && language.texts.contains(id);
    EXPECT_FALSE(everywhere) << "every language has \"" << id.toStdString()
                             << "\" now: take it off kIdsAddedElsewhere";
  }
}

// The gathering itself must keep working: each source gives ids, and each
// code pattern in use still finds what it was written for.
TEST_F(LanguageCoverage, EverySourceOfIdsFindsIds) {
  EXPECT_GT(LayoutIds().size(), 50);
  EXPECT_GT(KeyTableIds().size(), 150);
  EXPECT_GE(DeviceKindIds().size(), 6);
  EXPECT_GT(DataFileIds().size(), 40);
  QList<int> perRule;
  const Uses code = CodeIds(&perRule);
  ASSERT_EQ(perRule.size(), static_cast<int>(std::size(kCodeRules)));
  for (int i = 0; i < perRule.size(); ++i)
    if (kCodeRules[i].inUse) {
      EXPECT_GT(perRule[i], 0) << "code pattern \"" << kCodeRules[i].what << "\" finds no id";
    }
  // Spot checks, one for each kind of call.
  for (const char* id : {"message_text_16", "message_text_40", "message_text_22", "Key_Set",
                         "close_text", "com_key_nothing", "Phone_type_iphone",
                         "light_set_clockwise_text"})
    EXPECT_TRUE(code.contains(QLatin1String(id))) << id;
  // Control names are not ids.
  for (const char* name : {"deng_edit_R", "device_select_name", "light_combo_modeSelect",
                           "repeat_delay_time_label1"})
    EXPECT_FALSE(code.contains(QLatin1String(name))) << name;
}

TEST_F(LanguageCoverage, NoLanguageFileHasAnEmptyText) {
  const QList<LanguageFile> languages = Languages();
  ASSERT_GE(languages.size(), 2);
  for (const LanguageFile& language : languages)
    for (auto it = language.texts.begin(); it != language.texts.end(); ++it)
      EXPECT_FALSE(it.value().isEmpty())
          << Relative(language.path).toStdString() << ": the text of \"" << it.key().toStdString()
          << "\" is empty";
}

// The macro overflow message gets the count put in for its "%d"
// (ProfileCommands): exactly one, and no other placeholder.
TEST_F(LanguageCoverage, MacroOverflowMessageHasOneCount) {
  const QList<LanguageFile> languages = Languages();
  ASSERT_GE(languages.size(), 2);
  for (const LanguageFile& language : languages) {
    const QString file = Relative(language.path);
    ASSERT_TRUE(language.texts.contains("message_text_16")) << file.toStdString();
    const QString text = language.texts.value("message_text_16");
    EXPECT_EQ(text.count(QStringLiteral("%d")), 1) << file.toStdString() << ": " << text.toStdString();
    EXPECT_EQ(text.count('%'), 1) << file.toStdString() << ": another placeholder in "
                                  << text.toStdString();
  }
}
