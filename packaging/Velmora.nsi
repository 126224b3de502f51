; Velmora: an example installer for the screen saver and its companion.
; Adapt the lines marked PUBLISHER, then build it with
;
;   make installer SCREEN_SAVER=path/to/Velmora.scr
;
; which runs makensis with COMPANION (the shipped 32-bit companion),
; SCREEN_SAVER and OUTFILE defined. Silent mode, /S, works for the installer
; and for the uninstaller.
;
; What it does:
; - VelmoraCompanion.exe goes to $PROGRAMFILES\Velmora, a folder that users
;   cannot write to: the companion starts rundll32 by its bare name, and the
;   platform looks in the companion's own folder first.
; - Velmora.scr goes to the Windows directory, where the companion names it.
; - It runs the companion with /iw, which makes Velmora the screen saver of
;   the account the installer runs as and opens the Display control panel.
; - The Start-menu folder Velmora gets two shortcuts: /iw, so that every user
;   can make Velmora their own screen saver, and /wb, the home page.
; - The uninstaller removes what the installer put in place, and only that.

Unicode true

!ifndef COMPANION
  !error "Define COMPANION, the shipped 32-bit VelmoraCompanion.exe (make installer does)"
!endif
!ifndef SCREEN_SAVER
  !error "Define SCREEN_SAVER, your Velmora.scr: make installer SCREEN_SAVER=path/to/Velmora.scr"
!endif
!ifndef OUTFILE
  !error "Define OUTFILE, the installer to write (make installer does)"
!endif

; PUBLISHER: the product's name, your name and your home page (the companion
; opens the address built into it with /wb; keep the two the same).
!define PRODUCT "Velmora"
!define PUBLISHER "Velmora"
!define HOME_PAGE "http://velmora.example"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The screen saver goes to the Windows directory, and the companion to
; Program Files: both need administrator rights.
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES\${PRODUCT}"
SetCompressor /SOLID lzma

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The shortcuts go to the Start menu of all users.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=VelmoraCompanion.exe" "${COMPANION}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetOutPath "$WINDIR"
  File "/oname=Velmora.scr" "${SCREEN_SAVER}"
  SetOutPath "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Make ${PRODUCT} my screen saver.lnk" \
    "$INSTDIR\VelmoraCompanion.exe" "/iw"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} home page.lnk" \
    "$INSTDIR\VelmoraCompanion.exe" "/wb"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_PAGE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VelmoraCompanion.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; PUBLISHER: this makes Velmora the screen saver of the account the
  ; installer runs as. An installer elevated with another administrator's
  ; credentials runs as that administrator, so the user who started it sets
  ; it with the Start-menu shortcut instead. Leave this out if the user
  ; should choose.
  ExecWait '"$INSTDIR\VelmoraCompanion.exe" /iw'
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}\Make ${PRODUCT} my screen saver.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} home page.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$WINDIR\Velmora.scr"
  Delete "$INSTDIR\VelmoraCompanion.exe"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: whatever else someone put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
