; The Windows installer of Planora, in Brazilian Portuguese: per machine under
; Program Files, a Start-menu entry, an entry in "Aplicativos e recursos", and
; "Abrir com" for .cfg files without taking over their default program. /S
; installs (and uninstalls) silently; the uninstaller removes exactly what was
; installed, every key it made included. The finish page starts Planora as
; the pilot, not as the elevated installer. Built by `make windows-package`,
; which defines VERSION, FILES (the lists of the installed tree's files, by
; file_list.sh) and OUTFILE.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!define PRODUCT "Planora"
!define PUBLISHER "Equipe Planora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Planora"
!define APPLICATION_KEY "Software\Classes\Applications\Planora.exe"
!define CFG_KEY "Software\Classes\.cfg"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1046 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1046 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1046 "FileDescription" "Instalador do ${PRODUCT}"
VIAddVersionKey /LANG=1046 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1046 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1046 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}. Licença MIT."

!define MUI_ICON "../../src/resources/planora.ico"
!define MUI_UNICON "../../src/resources/planora.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "../../LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Executar o ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsThePilot
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "PortugueseBR"

!include "${FILES}"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "O Planora precisa do Windows de 64 bits." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    SetShellVarContext all
FunctionEnd

; The shell that is already running starts the program for the installer, as
; the user who logged in: started by the installer itself, it would run
; elevated, or as the administrator whose password UAC asked for.
Function RunAsThePilot
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Planora.exe"'
FunctionEnd

; Whether the key exists: an empty one counts.
!macro KeyExists ROOT KEY RESULT
    ClearErrors
    EnumRegKey ${RESULT} ${ROOT} "${KEY}" 0
    ${If} ${Errors}
        StrCpy ${RESULT} 0
    ${Else}
        StrCpy ${RESULT} 1
    ${EndIf}
!macroend

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Planora"
    SetOutPath "$INSTDIR"
    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\Desinstalar.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Planora.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Planora.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Desinstalar.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Desinstalar.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; "Abrir com" for .cfg files; the default program of .cfg is left as it is.
    ; Which of the keys above Planora's own were made here, for the uninstaller to take away.
    !insertmacro KeyExists HKLM "${CFG_KEY}" $0
    !insertmacro KeyExists HKLM "${CFG_KEY}\OpenWithList" $1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "CfgKeyWasThere" "$0"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "OpenWithListKeyWasThere" "$1"
    WriteRegStr HKLM "${APPLICATION_KEY}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr HKLM "${APPLICATION_KEY}\SupportedTypes" ".cfg" ""
    WriteRegStr HKLM "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\Planora.exe" "%1"'
    WriteRegStr HKLM "${CFG_KEY}\OpenWithList\Planora.exe" "" ""
SectionEnd

Section "Uninstall"
    !insertmacro UninstallFiles
    Delete "$INSTDIR\Desinstalar.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${APPLICATION_KEY}"
    DeleteRegKey HKLM "${CFG_KEY}\OpenWithList\Planora.exe"
    ; The keys above it go only where the installer made them, and nothing came into them since.
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "CfgKeyWasThere"
    ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "OpenWithListKeyWasThere"
    ${If} $1 == 0
        DeleteRegKey /ifempty HKLM "${CFG_KEY}\OpenWithList"
    ${EndIf}
    ${If} $0 == 0
        DeleteRegKey /ifempty HKLM "${CFG_KEY}"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
