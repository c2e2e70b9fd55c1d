; Vareli's installer, built on Linux by makensis from scripts/package.sh.
;
; A per-user installation: no administrator rights, the program folder under
; the user's local application data, Start menu entries and the "Apps"
; uninstall entry for that user only. Per user because the program keeps its
; settings file vareli.ini in its working folder, and the Start menu entry
; starts it in the program folder: that folder must be one the user can write
; to, which Program Files is not.
;
; The simulator goes in as VTSim.exe, never as VTPlus.exe: the program starts
; its decoder by the command "VTPlus", and a simulator of that name beside it
; would be started in place of the user's real decoder.
;
; makensis -DSTAGE=DIR -DOUTFILE=FILE -DVERSION=1.40.102 -DPRODUCT_VERSION=v140102
;           -DICON=FILE.ico
;   STAGE holds Vareli.exe, VTSim.exe, README.txt, LICENSE.txt and vareli.ini,
;   which are what is installed.

!ifndef STAGE
  !error "STAGE (the folder of the files to install) is not defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE (the installer to write) is not defined"
!endif
!ifndef VERSION
  !error "VERSION (e.g. 1.40.102) is not defined"
!endif
!ifndef ICON
  !error "ICON (the program's .ico) is not defined"
!endif
!ifndef PRODUCT_VERSION
  !error "PRODUCT_VERSION (e.g. v140102) is not defined"
!endif

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vareli"
!define SETTINGS_KEY "Software\Vareli"

Name "Vareli ${PRODUCT_VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vareli"
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Vareli"
VIAddVersionKey /LANG=0 "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=0 "FileDescription" "Vareli DX-spot monitor setup"
VIAddVersionKey /LANG=0 "CompanyName" "Vareli developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 the Vareli developers"

!include "MUI2.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartVareli
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is used when the system's is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Finnish"

Function StartVareli
  ; Started in its own folder, where its vareli.ini is.
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Vareli.exe"'
FunctionEnd

Section "Vareli" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\Vareli.exe"
  File "${STAGE}\VTSim.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\cty-LICENSE.txt"
  ; A country file the user has updated since is newer than this one: kept.
  SetOverwrite ifnewer
  File "${STAGE}\cty.csv"
  ; The settings of an earlier installation stay as the user left them.
  SetOverwrite off
  File "${STAGE}\vareli.ini"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; A shortcut's working folder is the output folder at the time it is made:
  ; the program folder, so that the program finds its vareli.ini.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Vareli"
  CreateShortcut "$SMPROGRAMS\Vareli\Vareli.lnk" "$INSTDIR\Vareli.exe" "" \
    "$INSTDIR\Vareli.exe" 0 SW_SHOWNORMAL "" "Vareli DX-spot monitor"
  CreateShortcut "$SMPROGRAMS\Vareli\Decoder simulator (demo).lnk" "$INSTDIR\VTSim.exe" \
    "--demo" "" 0 SW_SHOWNORMAL "" \
    "Made-up DX spots for Vareli, in place of the VTplus decoder; it has no window"
  ; The simulator has no window to close: this ends it.
  CreateShortcut "$SMPROGRAMS\Vareli\Stop decoder simulator.lnk" "$SYSDIR\taskkill.exe" \
    "/F /IM VTSim.exe" "" 0 SW_SHOWMINIMIZED "" \
    "Ends the decoder simulator"
  CreateShortcut "$SMPROGRAMS\Vareli\Read me.lnk" "$INSTDIR\README.txt"
  CreateShortcut "$SMPROGRAMS\Vareli\Uninstall Vareli.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vareli"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vareli developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vareli.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; A program still running keeps its file: it goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\Vareli.exe"
  Delete /REBOOTOK "$INSTDIR\VTSim.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\cty-LICENSE.txt"
  Delete "$INSTDIR\cty.csv"
  ; The settings file belongs to this installation and goes with it.
  Delete "$INSTDIR\vareli.ini"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files the user put there stay, with their folder.
  RMDir /REBOOTOK "$INSTDIR"

  Delete "$SMPROGRAMS\Vareli\Vareli.lnk"
  Delete "$SMPROGRAMS\Vareli\Decoder simulator (demo).lnk"
  Delete "$SMPROGRAMS\Vareli\Stop decoder simulator.lnk"
  Delete "$SMPROGRAMS\Vareli\Read me.lnk"
  Delete "$SMPROGRAMS\Vareli\Uninstall Vareli.lnk"
  RMDir "$SMPROGRAMS\Vareli"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd
