; The Windows installer: rizarode.exe and the private font files into the
; host application's directory, shortcuts that start it there, the face
; installed as the program's first start would install it, DOSBox for
; Windows in a component of its own (the folder DOSBox beside rizarode.exe,
; where the program looks for it), and an uninstaller registered under
; Add/Remove Programs.
;
; Built by scripts/package-windows.sh (the CMake target "installer"):
;   makensis -DBUILD_DIR=<Windows build directory> -DDOSBOX_DIR=<DOSBox build>
;            -DOUT_FILE=<setup.exe> rizarode.nsi
; BUILD_DIR holds rizarode.exe, VKCOUR.TTF, VKCOURBD.TTF and
; generated/rizarode_version.nsh; DOSBOX_DIR DOSBox.exe and licenses/ (from
; scripts/build-dosbox-windows.sh). The tests add -DNOTICE_LOG=<file> to read
; the notices that a silent install shows to no one.
;
; "/NODOSBOX" on the command line leaves the DOSBox component out, as
; unticking it does.

Unicode true
; The 32-bit stub does not start under a 64-bit-only Wine; rizarode.exe is a
; 64-bit program anyway.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "${BUILD_DIR}/generated/rizarode_version.nsh"
!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh
!include Sections.nsh
!include FileFunc.nsh

!ifndef DOSBOX_DIR
  !error "DOSBOX_DIR (scripts/build-dosbox-windows.sh's folder) is not given"
!endif

!define PRODUCT "RIZARODE"
!define PROGRAM "rizarode.exe"
!define UNINSTALLER "rizarode-uninstall.exe"
!define SHORTCUT "RIZARODE.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RIZARODE"
!define DOSBOX_APP_PATH "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\DOSBox.exe"
!define DOSBOX_FOLDER "DOSBox-0.74-3"
; Beside rizarode.exe, where the program looks for it after RIZARODE_DOSBOX.
!define OWN_DOSBOX "DOSBox"
; Where Windows registers fonts: the Windows 95 family's key and the NT
; family's. As the program does, a value is written only into a key that is
; there.
!define FONT_KEY_95 "SOFTWARE\Microsoft\Windows\CurrentVersion\Fonts"
!define FONT_KEY_NT "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts"
!define FONT_REGULAR "VKCOUR.TTF"
!define FONT_BOLD "VKCOURBD.TTF"
!define FONT_REGULAR_NAME "RUZeruzaz Ori Standaard (TrueType)"
!define FONT_BOLD_NAME "RUZeruzaz Ori Vet (TrueType)"

Name "${PRODUCT} ${RIZARODE_VERSION}"
OutFile "${OUT_FILE}"
InstallDir "C:\VELDRAK"
; An administrator is asked to elevate (the face goes into the Windows fonts
; directory and HKLM, which the program's first start cannot write for a
; standard user); a standard user may still install into a host directory
; of their own, for themselves, without the face.
RequestExecutionLevel highest
ManifestSupportedOS all
; Sharp text at any display scaling, not a blurred enlargement.
ManifestDPIAware true

VIProductVersion "${RIZARODE_VERSION}.0"
VIFileVersion "${RIZARODE_VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "RIZARODE developers"
VIAddVersionKey /LANG=0 "ProductVersion" "${RIZARODE_VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${RIZARODE_VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${RIZARODE_VERSION} Setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 RIZARODE developers, MIT License"

Var IsAdmin

!define MUI_ABORTWARNING
!define MUI_ICON "${BUILD_DIR}/icons/rizarode.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"

!insertmacro MUI_PAGE_WELCOME
; The program's own licence, to read: nothing to agree to.
!define MUI_PAGE_HEADER_TEXT "$(OwnLicenceTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(OwnLicenceSubtitle)"
!define MUI_LICENSEPAGE_TEXT_TOP "$(OwnLicenceTop)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(OwnLicenceBottom)"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
; makensis works in the script's folder.
!insertmacro MUI_PAGE_LICENSE "../../LICENSE"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryText)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckHostDirectory
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
; DOSBox's licence, and where its source is, before DOSBox is installed;
; left out with the component.
!define MUI_PAGE_HEADER_TEXT "$(DosboxLicenceTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(DosboxLicenceSubtitle)"
!define MUI_LICENSEPAGE_TEXT_TOP "$(DosboxLicenceTop)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(DosboxLicenceBottom)"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDosboxLicence
!insertmacro MUI_PAGE_LICENSE "${DOSBOX_DIR}/licenses/DOSBox-COPYING.txt"
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartHost)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UninstallText)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's own three languages; Dutch, the program's default, also
; for a Windows in any other language.
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "English"

LangString DirectoryText ${LANG_DUTCH} "Kies de map van VELDRAK (de map met VELDRAK.EXE of VELDRAK.PIF). RIZARODE wordt in die map geïnstalleerd en daar gestart."
LangString DirectoryText ${LANG_GERMAN} "Wählen Sie den Ordner von VELDRAK (den Ordner mit VELDRAK.EXE oder VELDRAK.PIF). RIZARODE wird in diesen Ordner installiert und dort gestartet."
LangString DirectoryText ${LANG_ENGLISH} "Choose the folder of VELDRAK (the folder that holds VELDRAK.EXE or VELDRAK.PIF). RIZARODE is installed into that folder and started there."
LangString NoHost ${LANG_DUTCH} "In $INSTDIR staat geen VELDRAK.EXE en geen VELDRAK.PIF.$\r$\nRIZARODE start VELDRAK uit zijn eigen map.$\r$\n$\r$\nToch in deze map installeren?"
LangString NoHost ${LANG_GERMAN} "In $INSTDIR gibt es weder VELDRAK.EXE noch VELDRAK.PIF.$\r$\nRIZARODE startet VELDRAK aus dessen eigenem Ordner.$\r$\n$\r$\nTrotzdem in diesen Ordner installieren?"
LangString NoHost ${LANG_ENGLISH} "$INSTDIR holds neither VELDRAK.EXE nor VELDRAK.PIF.$\r$\nRIZARODE starts VELDRAK from its own folder.$\r$\n$\r$\nInstall into this folder all the same?"
LangString DosboxNeeded ${LANG_DUTCH} "VELDRAK is een DOS-programma. RIZARODE start het met DOSBox, maar DOSBox is niet gevonden.$\r$\n$\r$\nInstalleer RIZARODE opnieuw met het onderdeel DOSBox, installeer DOSBox 0.74-3 (in $PROGRAMFILES64\${DOSBOX_FOLDER}) of noem het programma in de omgevingsvariabele RIZARODE_DOSBOX."
LangString DosboxNeeded ${LANG_GERMAN} "VELDRAK ist ein DOS-Programm. RIZARODE startet es mit DOSBox, aber DOSBox wurde nicht gefunden.$\r$\n$\r$\nInstallieren Sie RIZARODE erneut mit der Komponente DOSBox, installieren Sie DOSBox 0.74-3 (in $PROGRAMFILES64\${DOSBOX_FOLDER}) oder nennen Sie das Programm in der Umgebungsvariablen RIZARODE_DOSBOX."
LangString DosboxNeeded ${LANG_ENGLISH} "VELDRAK is a DOS program. RIZARODE starts it with DOSBox, but DOSBox was not found.$\r$\n$\r$\nInstall RIZARODE again with its component DOSBox, install DOSBox 0.74-3 (in $PROGRAMFILES64\${DOSBOX_FOLDER}) or name the program in the environment variable RIZARODE_DOSBOX."
; The components' names fit the list on the components page whole.
LangString DosboxComponent ${LANG_DUTCH} "DOSBox 0.74-3"
LangString DosboxComponent ${LANG_GERMAN} "DOSBox 0.74-3"
LangString DosboxComponent ${LANG_ENGLISH} "DOSBox 0.74-3"
LangString DosboxDescription ${LANG_DUTCH} "VELDRAK is een DOS-programma; een 64-bits Windows kan het alleen in DOSBox uitvoeren. Laat DOSBox alleen weg als het al op deze computer staat."
LangString DosboxDescription ${LANG_GERMAN} "VELDRAK ist ein DOS-Programm; ein 64-Bit-Windows kann es nur in DOSBox ausführen. Lassen Sie DOSBox nur weg, wenn es schon auf diesem Computer ist."
LangString DosboxDescription ${LANG_ENGLISH} "VELDRAK is a DOS program, which a 64-bit Windows can only run in DOSBox. Leave DOSBox out only if it is on this computer already."
LangString ProgramDescription ${LANG_DUTCH} "Drukt af wat VELDRAK afdrukt, op de standaardprinter. Met zijn lettertype en de snelkoppelingen."
LangString ProgramDescription ${LANG_GERMAN} "Druckt, was VELDRAK druckt, auf dem Standarddrucker. Mit seiner Schrift und den Verknüpfungen."
LangString ProgramDescription ${LANG_ENGLISH} "Prints what VELDRAK prints, on the default printer. With its font and the shortcuts."
LangString OwnLicenceTitle ${LANG_DUTCH} "Licentie"
LangString OwnLicenceTitle ${LANG_GERMAN} "Lizenz"
LangString OwnLicenceTitle ${LANG_ENGLISH} "Licence"
LangString OwnLicenceSubtitle ${LANG_DUTCH} "RIZARODE is vrije software onder de MIT-licentie."
LangString OwnLicenceSubtitle ${LANG_GERMAN} "RIZARODE ist freie Software unter der MIT-Lizenz."
LangString OwnLicenceSubtitle ${LANG_ENGLISH} "RIZARODE is free software under the MIT License."
LangString OwnLicenceTop ${LANG_DUTCH} "De licentie van RIZARODE (in het Engels):"
LangString OwnLicenceTop ${LANG_GERMAN} "Die Lizenz von RIZARODE (auf Englisch):"
LangString OwnLicenceTop ${LANG_ENGLISH} "RIZARODE's licence:"
LangString OwnLicenceBottom ${LANG_DUTCH} "U hoeft niets te accepteren: de licentie geeft u het recht RIZARODE te gebruiken, te kopiëren, te wijzigen en door te geven. Klik op Volgende."
LangString OwnLicenceBottom ${LANG_GERMAN} "Sie müssen nichts annehmen: Die Lizenz erlaubt Ihnen, RIZARODE zu benutzen, zu kopieren, zu ändern und weiterzugeben. Klicken Sie auf Weiter."
LangString OwnLicenceBottom ${LANG_ENGLISH} "There is nothing to accept: the licence lets you use, copy, change and pass on RIZARODE. Click Next."
LangString DosboxLicenceTitle ${LANG_DUTCH} "Licentie van DOSBox"
LangString DosboxLicenceTitle ${LANG_GERMAN} "Lizenz von DOSBox"
LangString DosboxLicenceTitle ${LANG_ENGLISH} "DOSBox's licence"
LangString DosboxLicenceSubtitle ${LANG_DUTCH} "DOSBox is vrije software onder de GNU General Public License, versie 2."
LangString DosboxLicenceSubtitle ${LANG_GERMAN} "DOSBox ist freie Software unter der GNU General Public License, Version 2."
LangString DosboxLicenceSubtitle ${LANG_ENGLISH} "DOSBox is free software under the GNU General Public License, version 2."
LangString DosboxLicenceTop ${LANG_DUTCH} "De broncode van deze DOSBox en van zijn SDL (LGPL 2.1) staat in RIZARODE-${RIZARODE_VERSION}-DOSBox-source.tar, naast dit installatieprogramma."
LangString DosboxLicenceTop ${LANG_GERMAN} "Der Quellcode dieses DOSBox und seiner SDL (LGPL 2.1) ist RIZARODE-${RIZARODE_VERSION}-DOSBox-source.tar neben diesem Installationsprogramm."
LangString DosboxLicenceTop ${LANG_ENGLISH} "The source of this DOSBox and its SDL (LGPL 2.1) is RIZARODE-${RIZARODE_VERSION}-DOSBox-source.tar, beside this installer."
LangString DosboxLicenceBottom ${LANG_DUTCH} "De licenties komen mee in de map DOSBox (DOSBox-COPYING.txt, SDL-COPYING.txt). Klik op Volgende."
LangString DosboxLicenceBottom ${LANG_GERMAN} "Die Lizenzen kommen mit in den Ordner DOSBox (DOSBox-COPYING.txt, SDL-COPYING.txt). Klicken Sie auf Weiter."
LangString DosboxLicenceBottom ${LANG_ENGLISH} "The licences go with it into the folder DOSBox (DOSBox-COPYING.txt, SDL-COPYING.txt). Click Next."
LangString StartHost ${LANG_DUTCH} "VELDRAK starten"
LangString StartHost ${LANG_GERMAN} "VELDRAK starten"
LangString StartHost ${LANG_ENGLISH} "Start VELDRAK"
LangString UninstallText ${LANG_DUTCH} "RIZARODE wordt verwijderd uit de map hieronder: rizarode.exe, zijn lettertypebestanden, de meegebrachte DOSBox en de snelkoppelingen. De eigen bestanden van de map blijven staan: VELDRAK en uw stamboomgegevens."
LangString UninstallText ${LANG_GERMAN} "RIZARODE wird aus dem Ordner unten entfernt: rizarode.exe, seine Schriftdateien, das mitgebrachte DOSBox und die Verknüpfungen. Die eigenen Dateien des Ordners bleiben: VELDRAK und Ihre Stammbaumdaten."
LangString UninstallText ${LANG_ENGLISH} "RIZARODE is removed from the folder below: rizarode.exe, its font files, the DOSBox it brought and the shortcuts. The folder's own files stay: VELDRAK and your family data."
LangString FontsNeedAdmin ${LANG_DUTCH} "Het lettertype van RIZARODE kan alleen door een beheerder worden geïnstalleerd. Laat een beheerder deze installatie herhalen, of RIZARODE één keer als beheerder starten."
LangString FontsNeedAdmin ${LANG_GERMAN} "Die Schrift von RIZARODE kann nur ein Administrator installieren. Lassen Sie einen Administrator diese Installation wiederholen oder RIZARODE einmal als Administrator starten."
LangString FontsNeedAdmin ${LANG_ENGLISH} "Only an administrator can install RIZARODE's font. Have an administrator repeat this installation, or start RIZARODE once as an administrator."
LangString ShortcutComment ${LANG_DUTCH} "VELDRAK starten en zijn afdrukken verzorgen"
LangString ShortcutComment ${LANG_GERMAN} "VELDRAK starten und seine Ausdrucke drucken"
LangString ShortcutComment ${LANG_ENGLISH} "Start VELDRAK and print what it prints"

; A notice in the install's details, and in NOTICE_LOG (by its name) when the
; tests ask for it.
!macro Notice NAME
  DetailPrint "$(${NAME})"
  !ifdef NOTICE_LOG
    Push $9
    FileOpen $9 "${NOTICE_LOG}" a
    FileSeek $9 0 END
    FileWrite $9 "${NAME}$\r$\n"
    FileClose $9
    Pop $9
  !endif
!macroend

; ---------------------------------------------------------------------------
; The host application

; The directory page asks before it goes on with a directory that does not
; hold the host application; a silent install only says so in its details.
Function CheckHostDirectory
  IfFileExists "$INSTDIR\VELDRAK.EXE" found
  IfFileExists "$INSTDIR\VELDRAK.PIF" found
  ; No is the default: Enter must not put the program where it cannot work.
  MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$(NoHost)" /SD IDYES IDYES found
  Abort
found:
FunctionEnd

; $0 = 1 when VELDRAK.EXE is a DOS program, told by its contents: an MZ
; executable whose e_lfanew does not point at a "PE" or "NE" header, or a
; .COM program under the name (no MZ header at all). A PIF without an EXE
; starts a DOS program too.
Function IsDosHost
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  ${IfNot} ${FileExists} "$INSTDIR\VELDRAK.EXE"
    ${If} ${FileExists} "$INSTDIR\VELDRAK.PIF"
      StrCpy $0 1
    ${EndIf}
    Goto done
  ${EndIf}
  ClearErrors
  FileOpen $1 "$INSTDIR\VELDRAK.EXE" r
  IfErrors done
  StrCpy $0 1
  FileReadByte $1 $2
  FileReadByte $1 $3
  IntOp $2 $2 << 8
  IntOp $2 $2 | $3
  ; "MZ" or "ZM"
  ${If} $2 = 0x4D5A
  ${OrIf} $2 = 0x5A4D
    ; e_lfanew, little-endian; its top byte is always 0 in practice
    FileSeek $1 0x3C SET
    FileReadByte $1 $2
    FileReadByte $1 $3
    IntOp $3 $3 << 8
    IntOp $2 $2 | $3
    FileReadByte $1 $3
    IntOp $3 $3 << 16
    IntOp $2 $2 | $3
    ClearErrors
    FileSeek $1 $2 SET
    FileReadByte $1 $2
    FileReadByte $1 $3
    ${IfNot} ${Errors}
      IntOp $2 $2 << 8
      IntOp $2 $2 | $3
      ; "PE" or "NE"
      ${If} $2 = 0x5045
      ${OrIf} $2 = 0x4E45
        StrCpy $0 0
      ${EndIf}
    ${EndIf}
  ${EndIf}
  FileClose $1
done:
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; $0 = 1 when DOSBox is where the program looks for it: RIZARODE_DOSBOX,
; the folder DOSBox beside it, the App Paths entry in either registry view,
; the usual install folders.
Function DosboxFound
  Push $1
  StrCpy $0 1
  ReadEnvStr $1 RIZARODE_DOSBOX
  StrCmp $1 "" 0 done
  IfFileExists "$INSTDIR\${OWN_DOSBOX}\DOSBox.exe" done
  SetRegView 64
  ReadRegStr $1 HKLM "${DOSBOX_APP_PATH}" ""
  ${If} $1 != ""
  ${AndIf} ${FileExists} $1
    Goto done
  ${EndIf}
  SetRegView 32
  ReadRegStr $1 HKLM "${DOSBOX_APP_PATH}" ""
  SetRegView 64
  ${If} $1 != ""
  ${AndIf} ${FileExists} $1
    Goto done
  ${EndIf}
  ReadEnvStr $1 "ProgramFiles(x86)"
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\${DOSBOX_FOLDER}\DOSBox.exe"
    Goto done
  ${EndIf}
  ReadEnvStr $1 "ProgramFiles"
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\${DOSBOX_FOLDER}\DOSBox.exe"
    Goto done
  ${EndIf}
  StrCpy $0 0
done:
  Pop $1
FunctionEnd

; ---------------------------------------------------------------------------
; The face, as the program's first start installs it

; Copies the file into the fonts directory unless it is there already (a face
; in use cannot be replaced), makes it available at once and registers it in
; every registration key there is.
!macro InstallFont FILE NAME
  SetOverwrite off
  File "/oname=$FONTS\${FILE}" "${BUILD_DIR}/${FILE}"
  SetOverwrite on
  System::Call "gdi32::AddFontResourceW(w '$FONTS\${FILE}') i"
  ClearErrors
  EnumRegKey $1 HKLM "${FONT_KEY_95}" 0
  ${IfNot} ${Errors}
    WriteRegStr HKLM "${FONT_KEY_95}" "${NAME}" "${FILE}"
  ${EndIf}
  ClearErrors
  EnumRegKey $1 HKLM "${FONT_KEY_NT}" 0
  ${IfNot} ${Errors}
    WriteRegStr HKLM "${FONT_KEY_NT}" "${NAME}" "${FILE}"
  ${EndIf}
!macroend

; ---------------------------------------------------------------------------

Function .onInit
  SetRegView 64
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
    SetShellVarContext all
  ${Else}
    StrCpy $IsAdmin 0
    SetShellVarContext current
  ${EndIf}
  Call LeaveOutDosboxWhenAsked
FunctionEnd

Section "RIZARODE" SecProgram
  SectionIn RO
  ${IfNot} ${FileExists} "$INSTDIR\VELDRAK.EXE"
  ${AndIfNot} ${FileExists} "$INSTDIR\VELDRAK.PIF"
    !insertmacro Notice NoHost
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/${PROGRAM}"
  File "${BUILD_DIR}/${FONT_REGULAR}"
  File "${BUILD_DIR}/${FONT_BOLD}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ${If} $IsAdmin == 1
    !insertmacro InstallFont "${FONT_REGULAR}" "${FONT_REGULAR_NAME}"
    !insertmacro InstallFont "${FONT_BOLD}" "${FONT_BOLD_NAME}"
    SendMessage ${HWND_BROADCAST} ${WM_FONTCHANGE} 0 0 /TIMEOUT=5000
  ${Else}
    !insertmacro Notice FontsNeedAdmin
    MessageBox MB_OK|MB_ICONINFORMATION "$(FontsNeedAdmin)" /SD IDOK
  ${EndIf}

  ; The shortcuts start the program in the host application's directory,
  ; which is the working directory CreateShortCut takes from SetOutPath.
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" \
    "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL "" "$(ShortcutComment)"
  CreateShortCut "$DESKTOP\${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" \
    "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL "" "$(ShortcutComment)"

  ; Add/Remove Programs: for the machine when installed by an
  ; administrator, else for this user (SHCTX follows the shell context).
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${RIZARODE_VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${RIZARODE_VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "RIZARODE developers"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; DOSBox for Windows with the licence texts of DOSBox and SDL, and where
; their source is. The uninstaller takes away only a DOSBox that this
; component brought, which the value "DOSBox" in the uninstall entry marks.
Section "$(DosboxComponent)" SecDosbox
  SetOutPath "$INSTDIR\${OWN_DOSBOX}"
  File "${DOSBOX_DIR}/DOSBox.exe"
  File "${DOSBOX_DIR}/licenses/DOSBox-COPYING.txt"
  File "${DOSBOX_DIR}/licenses/SDL-COPYING.txt"
  FileOpen $1 "$INSTDIR\${OWN_DOSBOX}\README.txt" w
  FileWrite $1 "DOSBox for Windows, as the installer of ${PRODUCT} ${RIZARODE_VERSION} brings it.$\r$\n$\r$\n"
  FileWrite $1 "${PRODUCT} starts VELDRAK, a DOS program, in it. It was built from Debian's$\r$\n"
  FileWrite $1 "source packages of DOSBox 0.74-3 and SDL 1.2 by ${PRODUCT}'s$\r$\n"
  FileWrite $1 "scripts/build-dosbox-windows.sh.$\r$\n$\r$\n"
  FileWrite $1 "DOSBox is free software under the GNU General Public License, version 2$\r$\n"
  FileWrite $1 "(DOSBox-COPYING.txt); SDL under the GNU Lesser General Public License,$\r$\n"
  FileWrite $1 "version 2.1 (SDL-COPYING.txt). Their corresponding source is the archive$\r$\n"
  FileWrite $1 "${PRODUCT}-${RIZARODE_VERSION}-DOSBox-source.tar, distributed beside$\r$\n"
  FileWrite $1 "${PRODUCT}-${RIZARODE_VERSION}-setup.exe.$\r$\n"
  FileClose $1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "DOSBox" 1
SectionEnd

; A DOS host without a DOSBox where the program looks for one (the
; component left out) is told at the end.
Section "-DosboxCheck"
  Call IsDosHost
  ${If} $0 == 1
    Call DosboxFound
    ${If} $0 == 0
      !insertmacro Notice DosboxNeeded
      MessageBox MB_OK|MB_ICONINFORMATION "$(DosboxNeeded)" /SD IDOK
    ${EndIf}
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(ProgramDescription)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDosbox} "$(DosboxDescription)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function SkipDosboxLicence
  ${IfNot} ${SectionIsSelected} ${SecDosbox}
    Abort
  ${EndIf}
FunctionEnd

; In the host application's directory, as the shortcuts start it.
Function StartProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\${PROGRAM}"'
FunctionEnd

Function LeaveOutDosboxWhenAsked
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/NODOSBOX" $2
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecDosbox}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; The uninstaller removes what the installer put into the host directory
; (DOSBox with it), the shortcuts and its registration. The host application's files and the
; print jobs (in the work directory) are not the installer's. Nor is the face
; in the Windows fonts directory with its registration: once installed, other
; programs and their documents may use it, as after the program's own first
; start, which leaves it there too.

Function un.onInit
  SetRegView 64
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; DOSBox only when this installer brought it; one that the user installed
  ; in a place of its own stays.
  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "DOSBox"
  ${If} $0 = 1
    Delete "$INSTDIR\${OWN_DOSBOX}\DOSBox.exe"
    Delete "$INSTDIR\${OWN_DOSBOX}\DOSBox-COPYING.txt"
    Delete "$INSTDIR\${OWN_DOSBOX}\SDL-COPYING.txt"
    Delete "$INSTDIR\${OWN_DOSBOX}\README.txt"
    RMDir "$INSTDIR\${OWN_DOSBOX}"
  ${EndIf}
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\${FONT_REGULAR}"
  Delete "$INSTDIR\${FONT_BOLD}"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$DESKTOP\${SHORTCUT}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when nothing else is left: the host application's directory stays.
  RMDir "$INSTDIR"
SectionEnd
