// TEMPORARY stand-ins: empty definitions of the command handlers, the settings
// object, the file store and the plug-in host, so that the windows link before
// the real ones arrive. Delete this file (and settings/file_store.h's stand-in)
// once the real definitions are merged.
#include "operations/commands.h"
#include "settings/file_store.h"

namespace tessil {

void Commands::CreateSettings(std::unique_ptr<Store>) {}
void Commands::AfterShown() {}
void Commands::FormClose() {}
void Commands::SelectPICClick() {}
void Commands::Timer2Timer() {}
void Commands::AutotectPICClick() {}
void Commands::AutorunPICClick() {}
void Commands::ScrollBar1Change() {}
void Commands::DisplayComboChange() {}
void Commands::IDEditChange() {}
void Commands::SB_loadClick() {}
void Commands::SB_saveClick() {}
void Commands::SB_downloadClick() {}
void Commands::SB_uploadClick() {}
void Commands::EraseClick() {}
void Commands::configClick() {}
void Commands::settingsClick() {}
void Commands::AboutClick() {}
void Commands::Timer1Timer() {}

Settings::~Settings() = default;

PluginHost::PluginHost(LibraryOpener opener) : opener_(std::move(opener)) {}
PluginHost::~PluginHost() = default;

FileStore::FileStore(std::filesystem::path path) : path_(std::move(path)) {}
bool FileStore::KeyExists(std::string_view) const {
  return false;
}
void FileStore::CreateKey(std::string_view) {}
std::optional<StoreValue> FileStore::Read(std::string_view, std::string_view) const {
  return {};
}
void FileStore::Write(std::string_view, std::string_view, const StoreValue&) {}
std::filesystem::path DefaultStorePath() {
  return {};
}

}  // namespace tessil
