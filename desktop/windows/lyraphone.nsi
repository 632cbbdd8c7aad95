; The LYRAPHONE installer for 64-bit Windows (scripts/package-windows runs makensis on it).
; makensis is given:
;   VERSION   the project's version (x.y.z)
;   STAGE     the folder with the files to install
;   FILES     an include file with the install lines (files.nsh)
;   UNFILES   an include file with the uninstall lines (unfiles.nsh): exactly the files above
;   ICON      the program's .ico
;   OUTFILE   the installer to write
; Per machine, into Program Files; /S installs and uninstalls without a question.
Target amd64-unicode
; zlib: LZMA would make it a quarter smaller, but takes minutes on a busy build machine.
SetCompressor /SOLID zlib
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\LYRAPHONE"

Name "LYRAPHONE ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\LYRAPHONE"
BrandingText "LYRAPHONE ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "LYRAPHONE"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "LYRAPHONE setup"
VIAddVersionKey /LANG=1033 "CompanyName" "The LYRAPHONE developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\lyraphone.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "LYRAPHONE needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "LYRAPHONE"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\LYRAPHONE.lnk" "$INSTDIR\lyraphone.exe" "" "$INSTDIR\lyraphone.exe" 0
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "LYRAPHONE"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "The LYRAPHONE developers"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\lyraphone.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there: a file of the user's own in the folder stays, and so does
; the folder then.
Section "Uninstall"
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\LYRAPHONE.lnk"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
