; The Windows installer: a per-user installation that needs no administrator. makensis is given
; VERSION, PROGRAM (zelto-premium.exe), CLI (zelto-premium-cli.exe), ICON and OUTFILE by the build.
; The programs are x86-64, and so is the installer (it also runs where Wine has no 32-bit part).
Target amd64-unicode
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Zelto Premium"
!define PUBLISHER "Zelto Systems"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The value zelto-premium-cli --autostart writes, so that either way of choosing it is undone by the other.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zelto-premium.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

; A running client holds its program file: each one is asked to exit through its tray menu's Exit command
; (to its hidden frame window), so that its icon goes too. Bounded, as a copy may not answer.
!macro CloseRunningClientsFunction UN
Function ${UN}CloseRunningClients
    StrCpy $1 0
    next:
        FindWindow $0 "ZeltoPremiumFrame"
        StrCmp $0 0 done
        SendMessage $0 ${WM_COMMAND} 32781 0 /TIMEOUT=5000
        Sleep 200
        IntOp $1 $1 + 1
        IntCmp $1 20 done next done
    done:
    ; A closed client's process may still be ending, its program file still open.
    IntCmp $1 0 +2
    Sleep 1000
FunctionEnd
!macroend
!insertmacro CloseRunningClientsFunction ""
!insertmacro CloseRunningClientsFunction "un."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
    SectionIn RO
    SetShellVarContext current
    Call CloseRunningClients
    SetOutPath "$INSTDIR"
    File "/oname=zelto-premium.exe" "${PROGRAM}"
    File "/oname=zelto-premium-cli.exe" "${CLI}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\zelto-premium.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zelto-premium.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start ${PRODUCT} when I sign in" SecSignIn
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\zelto-premium.exe"'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The tray client, and zelto-premium-cli for the command line."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecSignIn} "Starts the tray client each time you sign in to Windows."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The settings file (in %APPDATA%\Zelto Premium) is the user's and stays.
Section "Uninstall"
    SetShellVarContext current
    Call un.CloseRunningClients
    Delete "$INSTDIR\zelto-premium.exe"
    Delete "$INSTDIR\zelto-premium-cli.exe"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
