// The texts the commands show.
#pragma once

namespace tessil::text {

inline constexpr char kDllCaption[] = "DLL message ...";
inline constexpr char kHexCaption[] = "Hex file error";

inline constexpr char kInterfaceError[] =
    "             DLL interface error !\n Download a newer version of the DLL.";
inline constexpr char kNoPlugin[] =
    "No device plug-in is loaded !\n Right-click the socket and choose \"Select Plug-in\".";

inline constexpr char kFileRefused[] = "File corrupted or not dedicated to this chip !";
inline constexpr char kSaveFailed[] = "Not able to creat or save the file !";
inline constexpr char kPathTooLong[] =
    "The path is longer than 255 characters !\n Choose a file with a shorter path.";

inline constexpr char kBlank[] = "Device is blanked !";
inline constexpr char kLocked[] = "    Device is locked  !   ";
inline constexpr char kVerifyFailed[] = "Verification failed !\n Check hardware please.";
inline constexpr char kProgrammed[] = "Device successfully programmed !";

inline constexpr char kReading[] = "CHIP ACCESS :   READING ";
inline constexpr char kAborted[] = "CHIP ACCESS :   ABORTED ";
inline constexpr char kReadComplete[] = "CHIP ACCESS :   READ COMPLETE ";
inline constexpr char kWriting[] = "CHIP ACCESS :   WRITING ";
inline constexpr char kVerifying[] = "CHIP ACCESS :   VERIFYING ";
inline constexpr char kWriteFailed[] = "CHIP ACCESS :   WRITE FAILED ";
inline constexpr char kWriteComplete[] = "CHIP ACCESS :   WRITE COMPLETE ";

inline constexpr char kOpening[] = "OPENING : ";
inline constexpr char kSaving[] = "SAVING  : ";

inline constexpr char kHexFilter[] = "*.hex|*.hex";
inline constexpr char kLoadTitle[] = "Select an HEX file";
inline constexpr char kSaveTitle[] = "Save the selected buffer as HEX file";

}  // namespace tessil::text
