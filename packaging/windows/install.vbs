' Installs kestrune for the current user, without administrator rights:
'
'   cscript install.vbs        both DLLs on 64-bit Windows (for 64-bit and 32-bit Office)
'   cscript install.vbs x64    only the 64-bit one;  cscript install.vbs x86: only the 32-bit one
'
' Copies each kestrune.dll with the help file into %LOCALAPPDATA%\kestrune\<platform>,
' registers it for this user (regsvr32 /n /i:user), then has the spreadsheet program build
' the add-in kestrune.xla from kestrune.bas in the user's add-ins folder and install it.
' The program must allow access to the VBA project object model; where it does not, nothing
' is changed.
Option Explicit

Const kAddInFormat = 18   ' the program's file format for an add-in workbook (.xla)
Const kAddInFile = "kestrune.xla"
Const kModuleFile = "kestrune.bas"
Const kHelpFile = "kestrune.chm"
Const kServerFile = "kestrune.dll"
Const kTrustSetting = "File > Options > Trust Center > Trust Center Settings > Macro Settings > ""Trust access to the VBA project object model"""

Dim fso, shell
Set fso = CreateObject("Scripting.FileSystemObject")
Set shell = CreateObject("WScript.Shell")

' Wine's WScript.Shell ends an expanded text with a NUL character, which cuts a command line
' short.
Function Expanded(text)
    Expanded = Replace(shell.ExpandEnvironmentStrings(text), Chr(0), "")
End Function

Function SourceFolder()
    SourceFolder = fso.GetParentFolderName(WScript.ScriptFullName)
End Function

Function InstallFolder()
    InstallFolder = fso.BuildPath(Expanded("%LOCALAPPDATA%"), "kestrune")
End Function

' The platforms to register: the one asked for, or every one this Windows runs.
Function Platforms()
    If WScript.Arguments.Count > 0 Then
        Platforms = Array(LCase(WScript.Arguments(0)))
    ElseIf fso.FolderExists(Expanded("%SystemRoot%\SysWOW64")) Then
        Platforms = Array("x64", "x86")
    Else
        Platforms = Array("x86")
    End If
End Function

' The regsvr32 of a platform: 32-bit DLLs need the 32-bit one on 64-bit Windows.
Function Regsvr32(platform)
    Dim system
    system = "System32"
    If platform = "x86" And fso.FolderExists(Expanded("%SystemRoot%\SysWOW64")) Then system = "SysWOW64"
    Regsvr32 = Expanded("%SystemRoot%\" & system & "\regsvr32.exe")
End Function

' Runs regsvr32 for the current user on a platform's installed DLL; true when it succeeds.
Function RunRegsvr32(platform, options)
    Dim command
    command = """" & Regsvr32(platform) & """ " & options & " /s /n /i:user """
    command = command & fso.BuildPath(fso.BuildPath(InstallFolder(), platform), kServerFile) & """"
    RunRegsvr32 = (shell.Run(command, 0, True) = 0)
End Function

Sub Fail(message)
    WScript.Echo message
    WScript.Echo "kestrune is not installed."
    WScript.Quit 1
End Sub

' Whether the program lets scripts reach a workbook's VBA project.
Function ProjectReachable(workbook)
    Dim project
    On Error Resume Next
    Set project = workbook.VBProject
    ProjectReachable = (Err.Number = 0)
    Err.Clear
    On Error GoTo 0
End Function

' Copies a platform's DLL and the help file into the install folder and registers the DLL
' for this user; true when regsvr32 reports success.
Function Register(platform)
    Dim source, target
    source = fso.BuildPath(SourceFolder(), platform)
    target = fso.BuildPath(InstallFolder(), platform)
    Register = False
    If Not fso.FileExists(fso.BuildPath(source, kServerFile)) Then Exit Function
    If Not fso.FolderExists(InstallFolder()) Then fso.CreateFolder InstallFolder()
    If Not fso.FolderExists(target) Then fso.CreateFolder target
    fso.CopyFile fso.BuildPath(source, kServerFile), fso.BuildPath(target, kServerFile), True
    If fso.FileExists(fso.BuildPath(SourceFolder(), kHelpFile)) Then
        fso.CopyFile fso.BuildPath(SourceFolder(), kHelpFile), fso.BuildPath(target, kHelpFile), True
    End If
    Register = RunRegsvr32(platform, "")
End Function

Dim app, workbook, host, addIn, platform, registered, done, library, target
If WScript.Arguments.Count > 1 Then Fail "usage: cscript install.vbs [x64 | x86]"
For Each platform In Platforms()
    If platform <> "x64" And platform <> "x86" Then Fail "usage: cscript install.vbs [x64 | x86]"
Next
Set app = CreateObject("Excel.Application")
app.DisplayAlerts = False
Set workbook = app.Workbooks.Add
If Not ProjectReachable(workbook) Then
    workbook.Close False
    app.Quit
    Fail "The spreadsheet program refuses access to the VBA project. Allow it under " & _
        kTrustSetting & ", then run install.vbs again."
End If

registered = ""
For Each platform In Platforms()
    If Not Register(platform) Then
        For Each done In Split(Trim(registered))
            RunRegsvr32 done, "/u"
        Next
        If fso.FolderExists(InstallFolder()) Then fso.DeleteFolder InstallFolder(), True
        workbook.Close False
        app.Quit
        Fail "regsvr32 could not register the " & platform & " kestrune.dll for this user."
    End If
    registered = registered & " " & platform
Next

workbook.VBProject.VBComponents.Import fso.BuildPath(SourceFolder(), kModuleFile)
library = app.UserLibraryPath
If Not fso.FolderExists(library) Then fso.CreateFolder library
target = fso.BuildPath(library, kAddInFile)
workbook.SaveAs target, kAddInFormat
workbook.Close False

' The add-ins list is reached through an open workbook.
Set host = app.Workbooks.Add
Set addIn = app.AddIns.Add(target)
addIn.Installed = True
host.Close False
app.Quit
WScript.Echo "kestrune is installed: " & target
