; The Windows installer: a per-user installation that needs no administrator. makensis is given
; VERSION, PROGRAM (zelto-premium.exe), CLI (zelto-premium-cli.exe), ICON and OUTFILE by the build.
; The programs are x86-64, and so is the installer (it also runs where Wine has no 32-bit part).
Target amd64-unicode
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "StrFunc.nsh"
!include "TextFunc.nsh"
${StrStr}

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

!define PROGRAM_EXE "zelto-premium.exe"
!define CLI_EXE "zelto-premium-cli.exe"
; What the installer asks of another process: its image path and command line (PROCESS_QUERY_INFORMATION,
; PROCESS_VM_READ) and waiting for its end (SYNCHRONIZE).
!define PROCESS_ACCESS 0x100410

Var ProcessImage
Var ProcessCommand
Var ServiceStopped

; $0: a process id. Sets $ProcessImage and $ProcessCommand (each empty when it cannot be read) and leaves the
; process's handle in $1 (0 when it could not be opened) for the caller to close.
!macro ProcessFactsFunction UN
Function ${UN}ProcessFacts
    ; The callers' registers but $1 stay as they were.
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    Push $8
    Push $9
    StrCpy $ProcessImage ""
    StrCpy $ProcessCommand ""
    System::Call 'kernel32::OpenProcess(i ${PROCESS_ACCESS}, i 0, i r0) p .r1'
    StrCmp $1 0 opened
    System::Call 'kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r2, *i ${NSIS_MAX_STRLEN}) i .r3'
    StrCmp $3 0 +2
    StrCpy $ProcessImage $2
    ; The command line it was started with, from its process parameters: their address at 0x20 in its
    ; process environment block, the command line's length and address at 0x70 in them (the x64 layout).
    System::Call '*(p, p, p, p, p, p) p .r4'
    System::Call 'ntdll::NtQueryInformationProcess(p r1, i 0, p r4, i 48, p 0) i .r3'
    StrCmp $3 0 0 unread
    System::Call '*$4(p, p .r5)'
    IntPtrOp $5 $5 + 0x20
    System::Call 'kernel32::ReadProcessMemory(p r1, p r5, *p .r6, p 8, p 0) i .r3'
    StrCmp $3 0 unread
    IntPtrOp $6 $6 + 0x70
    System::Call 'kernel32::ReadProcessMemory(p r1, p r6, p r4, p 16, p 0) i .r3'
    StrCmp $3 0 unread
    System::Call '*$4(&i2 .r5, &i2, &i4, p .r6)'
    IntOp $7 $5 / 2
    IntOp $7 $7 + 1
    IntCmp $7 ${NSIS_MAX_STRLEN} 0 0 unread
    IntOp $8 $5 + 2
    System::Alloc $8
    Pop $8
    System::Call 'kernel32::ReadProcessMemory(p r1, p r6, p r8, p r5, p 0) i .r3'
    StrCmp $3 0 +3
    System::Call 'kernel32::lstrcpynW(w .r9, p r8, i r7)'
    StrCpy $ProcessCommand $9
    System::Free $8
    unread:
    System::Free $4
    opened:
    Pop $9
    Pop $8
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
FunctionEnd

; Closes each tray client that runs from the install folder through its tray menu's Exit command (to its
; hidden frame window), so that its icon goes too, and notes its command line for RestartStopped. A copy
; started from another folder is not ours to touch. Bounded, as a copy may not answer.
Function ${UN}CloseClients
    StrCpy $8 0
    StrCpy $9 0
    next:
        FindWindow $8 "ZeltoPremiumFrame" "" 0 $8
        StrCmp $8 0 done
        IntOp $9 $9 + 1
        IntCmp $9 50 0 0 done
        System::Call 'user32::GetWindowThreadProcessId(p r8, *i .r0)'
        Call ${UN}ProcessFacts
        ${If} $ProcessImage == "$INSTDIR\${PROGRAM_EXE}"
            SendMessage $8 ${WM_COMMAND} 32781 0 /TIMEOUT=5000
            ; Ended: its program file is free. The list of frames has changed, so it is walked again.
            System::Call 'kernel32::WaitForSingleObject(p r1, i 10000) i .r2'
            ${If} $2 = 0
                StrCmp $ProcessCommand "" 0 +2
                StrCpy $ProcessCommand '"$INSTDIR\${PROGRAM_EXE}"'
                FileOpen $3 "$PLUGINSDIR\clients" a
                FileSeek $3 0 END
                FileWriteUTF16LE $3 "$ProcessCommand$\r$\n"
                FileClose $3
                StrCpy $8 0
            ${EndIf}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r1)'
        Goto next
    done:
FunctionEnd
!macroend
!insertmacro ProcessFactsFunction ""
!insertmacro ProcessFactsFunction "un."

; A console copy running from the install folder holds its program file as well. The service's is stopped,
; to be started again by RestartStopped; any other the user must end. Sets $7 to what still runs (empty when
; nothing does).
Function StopConsoleCopies
    StrCpy $7 ""
    System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r8'
    ; PROCESSENTRY32W: its size, the process id at offset 8, the file name at offset 44.
    System::Call '*(i 568, i, i, i, p, i, i, i, i, i, &w260) p .r9'
    System::Call 'kernel32::Process32FirstW(p r8, p r9) i .r2'
    ${DoWhile} $2 <> 0
        System::Call '*$9(i, i, i .r0, i, p, i, i, i, i, i, &w260 .r3)'
        ${If} $3 == "${CLI_EXE}"
            Call ProcessFacts
            ${If} $ProcessImage == "$INSTDIR\${CLI_EXE}"
                ${StrStr} $4 $ProcessCommand " service run"
                ${If} $4 != ""
                    nsExec::ExecToLog '"$INSTDIR\${CLI_EXE}" service stop'
                    Pop $4
                    ${If} $4 == 0
                        StrCpy $ServiceStopped 1
                        System::Call 'kernel32::WaitForSingleObject(p r1, i 10000) i'
                    ${Else}
                        StrCpy $7 '$7$\r$\n    the service "${PRODUCT}", which only an administrator may stop'
                    ${EndIf}
                ${Else}
                    StrCpy $7 "$7$\r$\n    $ProcessCommand (process $0)"
                ${EndIf}
            ${EndIf}
            System::Call 'kernel32::CloseHandle(p r1)'
        ${EndIf}
        System::Call 'kernel32::Process32NextW(p r8, p r9) i .r2'
    ${Loop}
    System::Free $9
    System::Call 'kernel32::CloseHandle(p r8)'
FunctionEnd

; Windows refuses to open a running program's file for writing: whatever still holds one goes into $7.
Function FilesHeld
    StrCpy $7 ""
    ${ForEach} $0 1 2 + 1
        StrCpy $1 "${PROGRAM_EXE}"
        StrCmp $0 1 +2
        StrCpy $1 "${CLI_EXE}"
        ${If} ${FileExists} "$INSTDIR\$1"
            ClearErrors
            FileOpen $2 "$INSTDIR\$1" a
            ${If} ${Errors}
                StrCpy $7 "$7$\r$\n    $INSTDIR\$1, in use by another program"
            ${Else}
                FileClose $2
            ${EndIf}
        ${EndIf}
    ${Next}
FunctionEnd

; Every program file is free before the first is replaced, so that an install is never left half new.
; Refused, the stopped service and the closed clients run again and nothing has changed.
Function PrepareReplacement
    StrCpy $6 0
    retry:
        Call StopConsoleCopies
        StrCmp $7 "" 0 ask
        Call CloseClients
        Call FilesHeld
        StrCmp $7 "" done
        ; A client still starting has no window to close yet; it has one within a few seconds.
        IntOp $6 $6 + 1
        ${If} $6 < 10
            Sleep 1000
            Goto retry
        ${EndIf}
    ask:
        StrCpy $6 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} cannot be updated while it runs from $INSTDIR:$7$\r$\n$\r$\nEnd it (Ctrl+C in its console window), then choose Retry." /SD IDCANCEL IDRETRY retry
        Call RestartStopped
        Abort "${PRODUCT} is running from $INSTDIR; nothing was changed."
    done:
FunctionEnd

; The service and the tray clients stopped for the update run again, each as it was started.
Function RestartStopped
    SetOutPath "$INSTDIR"
    ${If} $ServiceStopped == 1
        nsExec::ExecToLog '"$INSTDIR\${CLI_EXE}" service start'
        Pop $0
        StrCpy $ServiceStopped 0
    ${EndIf}
    ClearErrors
    FileOpen $0 "$PLUGINSDIR\clients" r
    IfErrors done
    ${Do}
        ClearErrors
        FileReadUTF16LE $0 $1
        ${If} ${Errors}
            ${ExitDo}
        ${EndIf}
        ${TrimNewLines} $1 $1
        StrCmp $1 "" +2
        Exec $1
    ${Loop}
    FileClose $0
    Delete "$PLUGINSDIR\clients"
    done:
FunctionEnd

!insertmacro MUI_PAGE_WELCOME
; The description below the list, so that the list has the page's width and every name shows whole.
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
    SectionIn RO
    SetShellVarContext current
    Call PrepareReplacement
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
    ; The choice made at this install is the one that holds: the section below writes it again when ticked.
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
SectionEnd

Section "Start ${PRODUCT} when I sign in" SecSignIn
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\zelto-premium.exe"'
SectionEnd

Section "-Start again"
    Call RestartStopped
SectionEnd

; On an upgrade the box starts as the user left it: unticked when the client does not start at sign-in.
; /SIGNIN=yes or /SIGNIN=no chooses without the page, as for a silent install.
Function .onInit
    InitPluginsDir
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 != ""
    ${AndIf} $1 == ""
        !insertmacro UnselectSection ${SecSignIn}
    ${EndIf}
    ${GetParameters} $2
    ClearErrors
    ${GetOptions} $2 "/SIGNIN=" $3
    ${IfNot} ${Errors}
        ${If} $3 == "no"
            !insertmacro UnselectSection ${SecSignIn}
        ${ElseIf} $3 == "yes"
            !insertmacro SelectSection ${SecSignIn}
        ${EndIf}
    ${EndIf}
FunctionEnd

Function un.onInit
    InitPluginsDir
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The tray client, and zelto-premium-cli for the command line."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecSignIn} "Starts the tray client each time you sign in to Windows."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The settings file (in %APPDATA%\Zelto Premium) is the user's and stays.
Section "Uninstall"
    SetShellVarContext current
    Call un.CloseClients
    Delete "$INSTDIR\zelto-premium.exe"
    Delete "$INSTDIR\zelto-premium-cli.exe"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
