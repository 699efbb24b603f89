; The Windows installer: rizarode.exe and the private font files into the
; host application's directory, shortcuts that start it there, the face
; installed as the program's first start would install it, and an
; uninstaller registered under Add/Remove Programs.
;
; Built by scripts/package-windows.sh (the CMake target "installer"):
;   makensis -DBUILD_DIR=<Windows build directory> -DOUT_FILE=<setup.exe> rizarode.nsi
; BUILD_DIR holds rizarode.exe, VKCOUR.TTF, VKCOURBD.TTF and
; generated/rizarode_version.nsh. The tests add -DNOTICE_LOG=<file> to read
; the notices that a silent install shows to no one.

Unicode true
; The 32-bit stub does not start under a 64-bit-only Wine; rizarode.exe is a
; 64-bit program anyway.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "${BUILD_DIR}/generated/rizarode_version.nsh"
!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define PRODUCT "RIZARODE"
!define PROGRAM "rizarode.exe"
!define UNINSTALLER "rizarode-uninstall.exe"
!define SHORTCUT "RIZARODE.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RIZARODE"
!define DOSBOX_APP_PATH "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\DOSBox.exe"
!define DOSBOX_DIR "DOSBox-0.74-3"
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
LangString DosboxNeeded ${LANG_DUTCH} "VELDRAK is een DOS-programma. RIZARODE start het met DOSBox, maar DOSBox is niet gevonden.$\r$\n$\r$\nInstalleer DOSBox 0.74-3 (in $PROGRAMFILES64\${DOSBOX_DIR}) of noem het programma in de omgevingsvariabele RIZARODE_DOSBOX. DOSBox wordt niet met RIZARODE meegeleverd."
LangString DosboxNeeded ${LANG_GERMAN} "VELDRAK ist ein DOS-Programm. RIZARODE startet es mit DOSBox, aber DOSBox wurde nicht gefunden.$\r$\n$\r$\nInstallieren Sie DOSBox 0.74-3 (in $PROGRAMFILES64\${DOSBOX_DIR}) oder nennen Sie das Programm in der Umgebungsvariablen RIZARODE_DOSBOX. DOSBox wird nicht mit RIZARODE geliefert."
LangString DosboxNeeded ${LANG_ENGLISH} "VELDRAK is a DOS program. RIZARODE starts it with DOSBox, but DOSBox was not found.$\r$\n$\r$\nInstall DOSBox 0.74-3 (in $PROGRAMFILES64\${DOSBOX_DIR}) or name the program in the environment variable RIZARODE_DOSBOX. DOSBox does not come with RIZARODE."
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
; the App Paths entry in either registry view, the usual install folders.
Function DosboxFound
  Push $1
  StrCpy $0 1
  ReadEnvStr $1 RIZARODE_DOSBOX
  StrCmp $1 "" 0 done
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
  ${AndIf} ${FileExists} "$1\${DOSBOX_DIR}\DOSBox.exe"
    Goto done
  ${EndIf}
  ReadEnvStr $1 "ProgramFiles"
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\${DOSBOX_DIR}\DOSBox.exe"
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
FunctionEnd

Section "RIZARODE"
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

  Call IsDosHost
  ${If} $0 == 1
    Call DosboxFound
    ${If} $0 == 0
      !insertmacro Notice DosboxNeeded
      MessageBox MB_OK|MB_ICONINFORMATION "$(DosboxNeeded)" /SD IDOK
    ${EndIf}
  ${EndIf}
SectionEnd

; ---------------------------------------------------------------------------
; The uninstaller removes what the installer put into the host directory,
; the shortcuts and its registration. The host application's files and the
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
