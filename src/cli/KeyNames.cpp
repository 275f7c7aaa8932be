#include "cli/KeyNames.h"

#include "common/Paths.h"
#include "core/KeyCode.h"
#include "keyboard/DefaultKeyTable.h"

#include <QFile>
#include <QXmlStreamReader>

#include <cctype>

namespace velnor7 {

namespace {

std::map<std::string, std::string> ReadLanguageFile(const std::string& path) {
    std::map<std::string, std::string> texts;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return texts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Text")) continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        texts[attributes.value("id").toString().toStdString()] = attributes.value("value").toString().toStdString();
    }
    return texts;
}

// Letter case and spaces do not tell names apart: "caps lock", "CapsLock" and "Caps Lock" are one.
std::string Folded(std::string_view name) {
    std::string folded;
    for (const char c : name) {
        if (c != ' ') folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

}  // namespace

const KeyNames& KeyNames::English() {
    static const KeyNames names(ReadLanguageFile(SkinDirectory() + "lang/en.xml"));
    return names;
}

KeyNames::KeyNames(std::map<std::string, std::string> textsById) : texts_(std::move(textsById)) {}

std::string KeyNames::ShortId(int key) {
    const std::string_view id = KeyName(key);
    constexpr std::string_view prefix = "keyboard_key_";
    return std::string(id.substr(0, prefix.size()) == prefix ? id.substr(prefix.size()) : id);
}

std::string KeyNames::Of(int key) const {
    const auto found = texts_.find(std::string(KeyName(key)));
    return found != texts_.end() && !found->second.empty() ? found->second : ShortId(key);
}

std::optional<int> KeyNames::Find(std::string_view name) const {
    const std::string wanted = Folded(name);
    if (wanted.empty()) return std::nullopt;
    // Ids first: they are unique, while two keys could share a text.
    for (int key = 0; key < kKeyCount; ++key) {
        if (Folded(ShortId(key)) == wanted) return key;
    }
    for (int key = 0; key < kKeyCount; ++key) {
        if (!ShortId(key).empty() && Folded(Of(key)) == wanted) return key;
    }
    return std::nullopt;
}

}  // namespace velnor7
