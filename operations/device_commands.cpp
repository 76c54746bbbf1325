// The commands that move data between HEX files, images and the device.
#include "images/grid_page.h"
#include "operations/commands.h"
#include "operations/messages.h"
#include "operations/polling_pause.h"

namespace tessil {

namespace {

// Plug-ins are handed paths in a 256-byte buffer; a longer path could
// overrun a plug-in built for that limit, so it is refused instead.
constexpr std::size_t kMaxPathLength = 255;

// Every device command needs a bound plug-in; after a refused one the
// commands that polling left enabled say so instead of doing nothing.
bool RequirePlugin(Session& s, View& v) {
  if (s.plugin.Accepted()) return true;
  v.ShowMessage(text::kNoPlugin, text::kDllCaption, MessageIcon::Stop);
  return false;
}

bool PathFits(View& v, const std::string& path) {
  if (path.size() <= kMaxPathLength) return true;
  v.ShowMessage(text::kPathTooLong, text::kHexCaption, MessageIcon::Stop);
  return false;
}

// Program and Configuration bits act on the file image only when it is selected.
ImageKind SelectedKindOrChip(const View& v) {
  return v.SelectorIndex() == kFileImage ? kFileImage : kChipImage;
}

}  // namespace

void Commands::SB_loadClick() {
  if (!RequirePlugin(s_, v_)) return;
  PollingPause pause(*this);
  s_.settings->OpenKey(keys::kMainWindow);
  const auto path = v_.RunOpenDialog({.filter = text::kHexFilter,
                                      .fileName = s_.settings->ReadString("open"),
                                      .title = text::kLoadTitle});
  if (!path) return;
  s_.settings->WriteString("open", *path);
  if (!PathFits(v_, *path)) return;
  v_.SetStatusText(StatusPanel::Activity, text::kOpening + *path);
  v_.SetScrollPosition(0);
  if (s_.plugin.ParseFile(path->c_str()) == TESSIL_REFUSED) {
    v_.ShowMessage(text::kFileRefused, text::kHexCaption, MessageIcon::Stop);
    return;
  }
  ReplaceImage(s_.images, ImageSlot::File, kFileImage, kFileImage, s_.plugin);
  v_.SetEnabled(Control::ScrollBar1, true);
  v_.SetScrollMaximum(ScrollMaximumFor(static_cast<std::uint32_t>(s_.images.FileImage->size())));
  ScrollBar1Change();
  v_.SetEnabled(Control::SB_save, true);
  v_.SetEnabled(Control::SB_upload, true);
  v_.SetEnabled(Control::DisplayCombo, true);
  v_.SetSelectorIndex(kFileImage);
  RefreshChecksumAndId(kFileImage);
  v_.SetMenuEnabled(MenuItem::config, true);
}

void Commands::SB_saveClick() {
  if (!RequirePlugin(s_, v_)) return;
  PollingPause pause(*this);
  s_.settings->OpenKey(keys::kMainWindow);
  const auto path = v_.RunSaveDialog({.fileName = s_.settings->ReadString("save"),
                                      .title = text::kSaveTitle,
                                      .defaultExtension = "HEX"});
  if (!path) return;
  s_.settings->WriteString("save", *path);
  if (!PathFits(v_, *path)) return;
  v_.SetStatusText(StatusPanel::Activity, text::kSaving + *path);
  const int kind = v_.SelectorIndex();
  if ((kind != kFileImage && kind != kChipImage) || s_.images.DisplayedImage == nullptr) return;
  CopyDisplayedToPlugin(s_.images, static_cast<ImageKind>(kind), s_.plugin);
  if (s_.plugin.UnParseFile(path->c_str(), kind) == TESSIL_REFUSED) {
    v_.ShowMessage(text::kSaveFailed, text::kHexCaption, MessageIcon::Stop);
  }
}

void Commands::SB_downloadClick() {
  if (!RequirePlugin(s_, v_)) return;
  PollingPause pause(*this);
  v_.SetStatusText(StatusPanel::Activity, text::kReading);
  std::uint32_t size = 0;
  if (!s_.FullRead) {
    // After a programming run: the programmed file image is what the chip now
    // holds, so it is taken over without reading the memory back.
    s_.FullRead = true;
    s_.plugin.GetMemorySize(&size, kChipImage);
    if (v_.SelectorIndex() == kFileImage) {
      ReplaceImageWithCount(s_.images, ImageSlot::Chip, size, kFileImage, s_.plugin);
      CopyDisplayedToPlugin(s_.images, kChipImage, s_.plugin);
    }
  } else {
    s_.plugin.InitHardware();
    s_.plugin.PowerOn();
    const std::uint8_t result = s_.plugin.ReadMem();
    if (result == TESSIL_BLANK) v_.ShowMessage(text::kBlank, text::kDllCaption, MessageIcon::Exclamation);
    if (result == TESSIL_ABORTED) {
      v_.SetStatusText(StatusPanel::Activity, text::kAborted);
      s_.FullRead = true;
      return;
    }
    ReplaceImage(s_.images, ImageSlot::Chip, kChipImage, kChipImage, s_.plugin);
    size = static_cast<std::uint32_t>(s_.images.ChipImage->size());
  }
  s_.plugin.InitHardware();
  s_.plugin.PowerOn();
  if (s_.plugin.ReadConfig() == TESSIL_LOCKED) {
    v_.ShowMessage(text::kLocked, text::kDllCaption, MessageIcon::Exclamation);
  }
  s_.plugin.ReadID();
  s_.plugin.PowerOff();
  v_.SetStatusText(StatusPanel::Activity, text::kReadComplete);
  RefreshChecksumAndId(kChipImage);
  // Program before any image was taken leaves nothing to page through or to
  // save: the grid and the scroll bar stay as they are.
  const bool shown = s_.images.DisplayedImage != nullptr;
  if (shown) {
    v_.SetEnabled(Control::ScrollBar1, true);
    v_.SetScrollMaximum(ScrollMaximumFor(size));
    ScrollBar1Change();
  }
  v_.SetEnabled(Control::DisplayCombo, true);
  v_.SetSelectorIndex(kChipImage);
  v_.SetEnabled(Control::SB_save, shown);
  v_.SetEnabled(Control::SB_upload, true);
  v_.SetMenuEnabled(MenuItem::config, true);
}

void Commands::SB_uploadClick() {
  if (!RequirePlugin(s_, v_)) return;
  s_.FullRead = false;
  PollingPause pause(*this);
  v_.SetStatusText(StatusPanel::Activity, text::kWriting);
  s_.plugin.InitHardware();
  s_.plugin.PowerOn();
  const ImageKind kind = SelectedKindOrChip(v_);
  const std::uint8_t outcome = s_.plugin.ProgramMem(kind);
  s_.plugin.PowerOff();
  s_.plugin.InitHardware();
  s_.plugin.PowerOn();
  s_.plugin.ProgramConfig(kind);
  s_.plugin.PowerOff();
  s_.plugin.InitHardware();
  s_.plugin.PowerOn();
  s_.plugin.ProgramID(kind);
  s_.plugin.PowerOff();
  pause.Resume();
  if (outcome == TESSIL_ABORTED) {
    v_.SetStatusText(StatusPanel::Activity, text::kAborted);
    s_.FullRead = true;
    return;
  }
  // A failed verification means the device does not hold the image: read it
  // in full so that "From PIC..." shows what the device returned.
  if (outcome == TESSIL_VERIFY_FAILED) s_.FullRead = true;
  SB_downloadClick();
  v_.SetStatusText(StatusPanel::Activity, text::kVerifying);
  if (outcome == TESSIL_VERIFY_FAILED) {
    v_.ShowMessage(text::kVerifyFailed, text::kDllCaption, MessageIcon::Stop);
    v_.SetStatusText(StatusPanel::Activity, text::kWriteFailed);
    return;
  }
  v_.ShowMessage(text::kProgrammed, text::kDllCaption, MessageIcon::Exclamation);
  v_.SetStatusText(StatusPanel::Activity, text::kWriteComplete);
  if (v_.IsMenuChecked(MenuItem::AutorunPIC)) {
    PollingPause run(*this);
    s_.plugin.RunTarget();
  }
}

void Commands::EraseClick() {
  if (!RequirePlugin(s_, v_)) return;
  PollingPause pause(*this);
  s_.plugin.InitHardware();
  s_.plugin.PowerOn();
  s_.plugin.DoBulkErase(v_.OwnerHandle());
  s_.plugin.PowerOff();
  SB_downloadClick();
}

void Commands::configClick() {
  if (!RequirePlugin(s_, v_)) return;
  PollingPause pause(*this);
  const ImageKind kind = SelectedKindOrChip(v_);
  s_.plugin.ShowConfig(v_.OwnerHandle(), kind);
  RefreshChecksum(kind);
}

void Commands::settingsClick() {
  if (!RequirePlugin(s_, v_)) return;
  PollingPause pause(*this);
  s_.plugin.ShowSettings(v_.OwnerHandle());
}

}  // namespace tessil
