; Ambrel setup package. The Ambrel installer copies this Setup.exe and its
; response file into %APPDATA%\Vorn and runs it hidden:
;
;   <dir>\Setup.exe /s /f1"<dir>\Setup.iss" /f2"<dir>\UI_Dri_SetupLog.log"
;
;   /s   silent (NSIS's own /S works too)
;   /f1  the response file: an INI file, section [Ambrel]
;          InstallDir=    empty or missing: the default folder
;          StartUtility=  0: do not start Q8 when done; anything else: start it
;        missing /f1: Setup.iss beside Setup.exe; a missing file: the defaults
;   /f2  a plain-text log, one line per step, created or overwritten
;
; It stops a running Q8, copies Q8.exe and Dravolib.dll into
; <Program Files>\Ambrel, registers Q8 to start at logon, adds the entry to the
; installed-programs list, writes uninstall.exe and starts Q8.
; Exit code: 0 installed, 2 failed (the log names the step).
;
; installer/package/CMakeLists.txt passes:
;   Q8_TARGET    x86-unicode (32-bit build) or amd64-unicode (64-bit build)
;   Q8_64BIT     defined in the 64-bit build
;   Q8_EXE, Q8_DLL, Q8_OUTFILE   the built Q8.exe and Dravolib.dll, the Setup.exe to write

!ifndef Q8_TARGET | Q8_EXE | Q8_DLL | Q8_OUTFILE
  !error "makensis needs -DQ8_TARGET, -DQ8_EXE, -DQ8_DLL and -DQ8_OUTFILE"
!endif

Unicode true
; The installer runs the package by this name; Windows applies its installer
; compatibility shims to any "setup*.exe", which this package does not mind.
!pragma warning disable 9000
Target ${Q8_TARGET}
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT_VERSION "1.0.0.0"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ambrel"
; How the running utility shows itself: its single-instance mutex, and its
; hidden main window, titled "Ambrel" and marked with a window property.
!define UTILITY_MUTEX "AMBREL_UTILITY"
!define UTILITY_TITLE "Ambrel"
!define UTILITY_PROP "AMBREL_UTILITY"
!define WM_CLOSE 0x10
!define SYNCHRONIZE 0x00100000

Name "Ambrel 无线热点"
OutFile "${Q8_OUTFILE}"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow
!ifdef Q8_64BIT
  InstallDir "$PROGRAMFILES64\Ambrel"
!else
  InstallDir "$PROGRAMFILES\Ambrel"
!endif

VIProductVersion ${PRODUCT_VERSION}
VIAddVersionKey /LANG=0 ProductName "Ambrel 无线热点"
VIAddVersionKey /LANG=0 CompanyName "Ambrel"
VIAddVersionKey /LANG=0 FileDescription "Ambrel 无线热点 安装程序"
VIAddVersionKey /LANG=0 FileVersion ${PRODUCT_VERSION}
VIAddVersionKey /LANG=0 ProductVersion ${PRODUCT_VERSION}
VIAddVersionKey /LANG=0 LegalCopyright "Ambrel"

Page directory
Page instfiles
UninstPage instfiles

Var LogPath       ; the /f2 file; empty: no log
Var ResponseFile  ; the /f1 file
Var StartUtility  ; 1: start Q8 when done

; LogLine and StopUtility serve both the installer and the uninstaller, whose
; functions NSIS keeps apart by the "un." prefix.

; Appends the text on the stack as one line to $LogPath.
!macro DefineLogLine un
Function ${un}LogLine
  Exch $0
  Push $1
  ${If} $LogPath != ""
    ClearErrors
    FileOpen $1 $LogPath a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWrite $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineLogLine ""
!insertmacro DefineLogLine "un."

!macro Log text
  Push `${text}`
  !ifdef __UNINSTALL__
    Call un.LogLine
  !else
    Call LogLine
  !endif
!macroend

; $0 = 1 while a Q8 holds its instance mutex, else 0.
!macro DefineUtilityRunning un
Function ${un}UtilityRunning
  Push $1
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${UTILITY_MUTEX}") p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $1
FunctionEnd
!macroend
!insertmacro DefineUtilityRunning ""
!insertmacro DefineUtilityRunning "un."

; $0 = 1 once no Q8 holds the mutex, 0 when one still does after about 5 s.
!macro DefineWaitUtilityGone un
Function ${un}WaitUtilityGone
  Push $1
  StrCpy $1 0
  ${Do}
    Call ${un}UtilityRunning
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 50
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  IntOp $0 $0 !
  Pop $1
FunctionEnd
!macroend
!insertmacro DefineWaitUtilityGone ""
!insertmacro DefineWaitUtilityGone "un."

; Ends a running Q8 so that its files can be replaced or removed: WM_CLOSE to
; its main window (a top-level window titled "Ambrel" that carries the
; utility's property, so another program's window of that title is left
; alone), and taskkill when it is still there about 5 s later.
!macro DefineStopUtility un
Function ${un}StopUtility
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0  ; windows asked to close
  StrCpy $1 0
  ${Do}
    System::Call 'user32::FindWindowExW(p 0, p r1, p 0, w "${UTILITY_TITLE}") p .r1'
    ${If} $1 P= 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetPropW(p r1, w "${UTILITY_PROP}") p .r2'
    ${If} $2 P<> 0
      System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
      IntOp $3 $3 + 1
    ${EndIf}
  ${Loop}
  Call ${un}UtilityRunning
  ${If} $3 == 0
  ${AndIf} $0 == 0
    !insertmacro Log "No running utility to stop"
  ${Else}
    ${If} $3 > 0
      !insertmacro Log "Asked the running utility to close (WM_CLOSE to $3 window(s))"
    ${EndIf}
    Call ${un}WaitUtilityGone
    ${If} $0 == 1
      !insertmacro Log "The running utility has ended"
    ${Else}
      nsExec::Exec '"$SYSDIR\taskkill.exe" /f /im Q8.exe'
      Pop $2
      Call ${un}WaitUtilityGone
      ${If} $0 == 1
        !insertmacro Log "Ended the running utility with taskkill (exit code $2)"
      ${Else}
        !insertmacro Log "The running utility did not end (taskkill exit code $2)"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineStopUtility ""
!insertmacro DefineStopUtility "un."

; Ends the setup with exit code 2 after logging why.
!macro Fail why
  !insertmacro Log "Failed: ${why}"
  !insertmacro Log "Result: failed"
  SetErrorLevel 2
  Abort
!macroend

; Extracts one file into $INSTDIR. A file of a process that has just ended
; can stay locked for a moment, so it tries for about 5 s.
!macro InstallFile source name
  StrCpy $1 0
  ${Do}
    ClearErrors
    File "/oname=${name}" "${source}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 10
      !insertmacro Fail "could not write $INSTDIR\${name}"
    ${EndIf}
    Sleep 500
  ${Loop}
  !insertmacro Log "Installed $INSTDIR\${name}"
!macroend

!macro WriteValue kind key name value
  ClearErrors
  WriteReg${kind} HKLM "${key}" "${name}" `${value}`
  ${If} ${Errors}
    !insertmacro Fail "could not write HKLM\${key} ${name}"
  ${EndIf}
!macroend

Function .onInit
  !ifdef Q8_64BIT
    SetRegView 64
  !endif
  ${GetParameters} $0
  ; GetOptions compares without case: "/s" also finds NSIS's own "/S".
  ClearErrors
  ${GetOptions} $0 "/s" $1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  StrCpy $LogPath ""
  ClearErrors
  ${GetOptions} $0 "/f2" $1
  ${IfNot} ${Errors}
    StrCpy $LogPath $1
  ${EndIf}
  StrCpy $ResponseFile "$EXEDIR\Setup.iss"
  ClearErrors
  ${GetOptions} $0 "/f1" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 != ""
    StrCpy $ResponseFile $1
  ${EndIf}

  ${If} $LogPath != ""
    ClearErrors
    FileOpen $2 $LogPath w
    ${IfNot} ${Errors}
      FileClose $2
    ${EndIf}
  ${EndIf}
  !insertmacro Log "Ambrel setup ${PRODUCT_VERSION}"
  !insertmacro Log "Command line: $0"

  StrCpy $StartUtility 1
  ${If} ${FileExists} $ResponseFile
    ClearErrors
    ReadINIStr $1 $ResponseFile "Ambrel" "InstallDir"
    ${IfNot} ${Errors}
    ${AndIf} $1 != ""
      StrCpy $INSTDIR $1
    ${EndIf}
    ClearErrors
    ReadINIStr $1 $ResponseFile "Ambrel" "StartUtility"
    ${IfNot} ${Errors}
    ${AndIf} $1 == "0"
      StrCpy $StartUtility 0
    ${EndIf}
    !insertmacro Log "Response file: $ResponseFile"
  ${Else}
    !insertmacro Log "Response file: $ResponseFile (missing, defaults used)"
  ${EndIf}
  !insertmacro Log "Install folder: $INSTDIR"
FunctionEnd

Section "Ambrel"
  Call StopUtility

  ClearErrors
  SetOutPath $INSTDIR
  ${If} ${Errors}
    !insertmacro Fail "could not create $INSTDIR"
  ${EndIf}
  SetOverwrite try
  !insertmacro InstallFile "${Q8_EXE}" "Q8.exe"
  !insertmacro InstallFile "${Q8_DLL}" "Dravolib.dll"

  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    !insertmacro Fail "could not write $INSTDIR\uninstall.exe"
  ${EndIf}
  !insertmacro Log "Installed $INSTDIR\uninstall.exe"

  !insertmacro WriteValue Str "${RUN_KEY}" "Ambrel" '"$INSTDIR\Q8.exe" nogui'
  !insertmacro Log `Registry: HKLM\${RUN_KEY} Ambrel = "$INSTDIR\Q8.exe" nogui`

  !insertmacro WriteValue Str "${UNINSTALL_KEY}" "DisplayName" "Ambrel 无线热点"
  !insertmacro WriteValue Str "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  !insertmacro WriteValue Str "${UNINSTALL_KEY}" "Publisher" "Ambrel"
  !insertmacro WriteValue Str "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Q8.exe,0"
  !insertmacro WriteValue Str "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  !insertmacro WriteValue Str "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  !insertmacro WriteValue Str "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  !insertmacro WriteValue DWORD "${UNINSTALL_KEY}" "NoModify" 1
  !insertmacro WriteValue DWORD "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $1 $2 $3
  !insertmacro WriteValue DWORD "${UNINSTALL_KEY}" "EstimatedSize" $1
  !insertmacro Log "Registry: HKLM\${UNINSTALL_KEY} (DisplayName, DisplayVersion ${PRODUCT_VERSION}, UninstallString, EstimatedSize $1 KB)"

  ${If} $StartUtility == 1
    ClearErrors
    Exec '"$INSTDIR\Q8.exe" nogui'
    ${If} ${Errors}
      !insertmacro Log `Could not start "$INSTDIR\Q8.exe" nogui`
    ${Else}
      !insertmacro Log `Started "$INSTDIR\Q8.exe" nogui`
    ${EndIf}
  ${Else}
    !insertmacro Log "Utility not started (StartUtility=0)"
  ${EndIf}
  !insertmacro Log "Result: installed"
SectionEnd

; The uninstaller, "uninstall.exe /S" when quiet. It removes only what setup
; made: the user's settings in %APPDATA%\Vorn stay.
Function un.onInit
  !ifdef Q8_64BIT
    SetRegView 64
  !endif
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/s" $1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
FunctionEnd

; Deletes one file of $INSTDIR, trying for about 5 s while it is still locked.
!macro RemoveFile name
  StrCpy $1 0
  ${DoWhile} ${FileExists} "$INSTDIR\${name}"
    Delete "$INSTDIR\${name}"
    IntOp $1 $1 + 1
    ${If} $1 > 10
      ${Break}
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\${name}"
      Sleep 500
    ${EndIf}
  ${Loop}
!macroend

Section "Uninstall"
  Call un.StopUtility
  !insertmacro RemoveFile "Q8.exe"
  !insertmacro RemoveFile "Dravolib.dll"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegValue HKLM "${RUN_KEY}" "Ambrel"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
