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

VIProductVersion "${RIZARODE_VERSION}.0"
VIFileVersion "${RIZARODE_VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${RIZARODE_VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${RIZARODE_VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${RIZARODE_VERSION} Setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "RIZARODE developers"

Var IsAdmin

!define MUI_ABORTWARNING
!define MUI_ICON "${BUILD_DIR}/icons/rizarode.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"

!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryText)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckHostDirectory
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
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
LangString DosboxComponent ${LANG_DUTCH} "DOSBox (voor VELDRAK als DOS-programma)"
LangString DosboxComponent ${LANG_GERMAN} "DOSBox (für VELDRAK als DOS-Programm)"
LangString DosboxComponent ${LANG_ENGLISH} "DOSBox (for VELDRAK as a DOS program)"
LangString DosboxDescription ${LANG_DUTCH} "DOSBox 0.74-3 in de map DOSBox naast RIZARODE. Een 64-bits Windows voert VELDRAK als DOS-programma alleen daarin uit. Laat het weg als er al een DOSBox is geïnstalleerd."
LangString DosboxDescription ${LANG_GERMAN} "DOSBox 0.74-3 im Ordner DOSBox neben RIZARODE. Ein 64-Bit-Windows führt VELDRAK als DOS-Programm nur darin aus. Lassen Sie es weg, wenn schon ein DOSBox installiert ist."
LangString DosboxDescription ${LANG_ENGLISH} "DOSBox 0.74-3 in the folder DOSBox beside RIZARODE. A 64-bit Windows runs VELDRAK as a DOS program only in it. Leave it out when a DOSBox is installed already."
LangString ProgramDescription ${LANG_DUTCH} "RIZARODE zelf, met zijn lettertype en snelkoppelingen."
LangString ProgramDescription ${LANG_GERMAN} "RIZARODE selbst, mit seiner Schrift und seinen Verknüpfungen."
LangString ProgramDescription ${LANG_ENGLISH} "RIZARODE itself, with its font and shortcuts."
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
  MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(NoHost)" /SD IDYES IDYES found
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
