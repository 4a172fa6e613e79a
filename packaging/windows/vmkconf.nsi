; The installer of the Windows programs, made by scripts/windows.sh package:
;   makensis -INPUTCHARSET UTF8 -DVERSION=3.1.110418 -DSTAGE=<the program folder>
;            -DFILES=<files.nsh> -DOUTFILE=<setup.exe> vmkconf.nsi
; It copies the program folder into Program Files (an installed copy keeps
; the user's Front.ini, Rear.ini and calibr.ini in %APPDATA%\vmkconf), adds
; Start-menu entries for the configurator, the oscillogram viewer and the
; simulated devices (vmksim.exe on TCP port 5020), lets
; the viewer open .cfg files, and registers an uninstaller that removes
; exactly the files it installed (FILES lists them), leaving the user's.
; "/S" installs and uninstalls silently.

; A 64-bit installer for the 64-bit programs (it runs where a 32-bit one
; may not: a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "vmkconf"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define PROGID "vmkconf.comtrade"
!define MENU "$SMPROGRAMS\ВМК-01"

Name "Конфигуратор ВМК ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetRegView 64
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU}"
  CreateShortcut "${MENU}\Конфигуратор ВМК.lnk" "$INSTDIR\vmkconf.exe"
  CreateShortcut "${MENU}\Просмотр осциллограмм ВМК.lnk" "$INSTDIR\vmkosc.exe"
  ; Three simulated devices for a try without one: the configurator reaches
  ; them through "Сеть (TCP)" at 127.0.0.1, port 5020.
  CreateShortcut "${MENU}\Имитатор ВМК (TCP 127.0.0.1, порт 5020).lnk" "$INSTDIR\vmksim.exe" "--tcp 127.0.0.1:5020 --addresses 1,2,3:3"

  ; The viewer opens .cfg files: offered for every .cfg, and the one that
  ; opens them when no other program has taken the extension.
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Осциллограмма COMTRADE"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\vmkosc.exe,0"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\vmkosc.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\.cfg\OpenWithProgids" "${PROGID}" ""
  ReadRegStr $0 HKLM "Software\Classes\.cfg" ""
  StrCmp $0 "" 0 +3
    WriteRegStr HKLM "Software\Classes\.cfg" "" "${PROGID}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "OwnsCfg" "1"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Конфигуратор ВМК"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vmkconf.exe,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  ; The installed files by name, then their folders when empty: whatever
  ; else lies there stays.
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU}\Конфигуратор ВМК.lnk"
  Delete "${MENU}\Просмотр осциллограмм ВМК.lnk"
  Delete "${MENU}\Имитатор ВМК (TCP 127.0.0.1, порт 5020).lnk"
  RMDir "${MENU}"

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "OwnsCfg"
  StrCmp $0 "1" 0 +2
    DeleteRegValue HKLM "Software\Classes\.cfg" ""
  DeleteRegValue HKLM "Software\Classes\.cfg\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "Software\Classes\.cfg\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\.cfg"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
