; Answers for the Ambrel setup package (Setup.exe /s /f1"<this file>").
[Ambrel]
; Where Q8 goes; empty: <Program Files>\Ambrel.
InstallDir=
; 1: start Q8 once installed; 0: leave it for the next logon.
StartUtility=1
