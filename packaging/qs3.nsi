; The QS3 installer: qs3.scr into the 64-bit System32 folder, the music into
; a data folder under Program Files, and the "QS3_DIR" entry of ORN3CFG.INI
; in the Windows folder that points the saver at it, so that the saver finds
; its music whatever folder Windows starts it in.
;
; Built by packaging/CMakeLists.txt:
;   makensis -DVERSION=x.y.z -DVERSION_QUAD=x.y.z.0 -DSCR=qs3.scr -DDATA_DIR=data -DICON=qs3.ico
;            -DWELCOME_BMP=... -DHEADER_BMP=... -DOUTFILE=setup.exe qs3.nsi
;
; Silent use: setup.exe /S [/NOACTIVATE]   uninstall.exe /S
; /NOACTIVATE leaves the current screen saver as it is.

!ifndef VERSION | VERSION_QUAD | SCR | DATA_DIR | ICON | WELCOME_BMP | HEADER_BMP | OUTFILE
  !error "VERSION, VERSION_QUAD, SCR, DATA_DIR, ICON, WELCOME_BMP, HEADER_BMP and OUTFILE must be defined"
!endif

Unicode true
; A 64-bit stub: it sees the real System32 folder and the 64-bit registry,
; with no file-system redirection to undo, and it refuses to start on a
; 32-bit Windows, which the 64-bit qs3.scr could not run on anyway.
Target amd64-unicode
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "QS3 String Quartet"
!define PUBLISHER "The QS3 project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QS3"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_FILE "$WINDIR\ORN3CFG.INI"
!define SAVER "$SYSDIR\qs3.scr"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3 ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define ERROR_ELEVATION_REQUIRED 740
; The exit code of a setup that installed everything but could not point the
; saver at its music.
!define EXIT_SETTINGS_NOT_WRITTEN 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\QS3"
; An upgrade goes where the earlier version went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "QS3 ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WELCOME_BMP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WELCOME_BMP}"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "${HEADER_BMP}"
!define MUI_HEADERIMAGE_UNBITMAP "${HEADER_BMP}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_WELCOMEPAGE_TITLE "${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "A string quartet walks onto a dark stage, plays to its own music and bows out.$\r$\n$\r$\nThis installs the screen saver for every user of this computer, with its music, and can make it your screen saver right away.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "The screen saver and its music are installed; the screen saver settings list it now."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Section "QS3 screen saver and its music" SecSaver
  SectionIn RO
  SetOutPath "$SYSDIR"
  File "/oname=qs3.scr" "${SCR}"
  ; The data folder as the saver expects it: the signature file beside the
  ; folder that holds the music (so the saver started in $INSTDIR finds it too).
  SetOutPath "$INSTDIR"
  File "${DATA_DIR}/AFMSSV3C.SSS"
  SetOutPath "$INSTDIR\QS3"
  File "${DATA_DIR}/QS3/BGM10.SSS"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The private-profile writer changes this one line and keeps every other
  ; one, the user's music choice ("WAV") among them.
  ClearErrors
  WriteINIStr "${SETTINGS_FILE}" "QS3_DIR" "QS3_DIR" "$INSTDIR\QS3"
  ${If} ${Errors}
    DetailPrint "Could not write ${SETTINGS_FILE}"
    MessageBox MB_ICONEXCLAMATION "${SETTINGS_FILE} could not be written, so the screen saver will not find its music. Make sure the file is not read-only and run the setup again." /SD IDOK
    SetErrorLevel ${EXIT_SETTINGS_NOT_WRITTEN}
  ${EndIf}
  ; A flush always reports failure, so it comes after the check.
  FlushINI "${SETTINGS_FILE}"

  Call RegisterUninstaller
SectionEnd

Section "Make it the current screen saver" SecActivate
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SAVER}"
  ; Switching screen saving on through the system applies the choice at once
  ; and tells the running programs; the value is written either way.
  System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND}) i .r0"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

Function RegisterUninstaller
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; Apps & features shows the size in KiB: the data folder and the saver.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=qs3.scr /S=0K /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
FunctionEnd

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing or removing ${PRODUCT} needs administrator rights." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdministrator
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOACTIVATE" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecActivate}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro RequireAdministrator
FunctionEnd

; Drops the "QS3_DIR" section once it holds nothing, and the settings file
; once it is empty (the installer made it and nothing else was ever saved).
Function un.TidySettingsFile
  System::Call "kernel32::GetPrivateProfileSectionW(w 'QS3_DIR', w .r1, i ${NSIS_MAX_STRLEN}, w '${SETTINGS_FILE}') i .r0"
  ${If} $0 == 0
    DeleteINISec "${SETTINGS_FILE}" "QS3_DIR"
  ${EndIf}
  FlushINI "${SETTINGS_FILE}"
  ClearErrors
  FileOpen $0 "${SETTINGS_FILE}" r
  ${IfNot} ${Errors}
    FileSeek $0 0 END $1
    FileClose $0
    ${If} $1 == 0
      Delete "${SETTINGS_FILE}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The current screen saver is left alone unless it is still this one.
  ; The comparison ignores case; the short form is how Windows itself once
  ; wrote the path.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "${SAVER}"
  ${If} $1 == ""
    StrCpy $1 "${SAVER}"
  ${EndIf}
  ${If} $0 == "${SAVER}"
  ${OrIf} $0 == $1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}

  Delete /REBOOTOK "${SAVER}"
  Delete "$INSTDIR\QS3\BGM10.SSS"
  RMDir "$INSTDIR\QS3"
  Delete "$INSTDIR\AFMSSV3C.SSS"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ; Only the entry the installer wrote: the user's "WAV" choice stays.
  DeleteINIStr "${SETTINGS_FILE}" "QS3_DIR" "QS3_DIR"
  Call un.TidySettingsFile

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
