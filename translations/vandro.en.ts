<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CopyCommand</name>
    <message numerus="yes">
        <source>%n picture(s) could not be copied and were left out:</source>
        <translation>
            <numerusform>%n picture could not be copied and was left out:</numerusform>
            <numerusform>%n pictures could not be copied and were left out:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DeleteCommand</name>
    <message numerus="yes">
        <source>%n of them have no proven copy in the destination !</source>
        <translation>
            <numerusform>%n of them has no proven copy in the destination !</numerusform>
            <numerusform>%n of them have no proven copy in the destination !</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n picture(s) changed since their copy and were kept.</source>
        <translation>
            <numerusform>%n picture changed since its copy and was kept.</numerusform>
            <numerusform>%n pictures changed since their copy and were kept.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainDlg</name>
    <message numerus="yes">
        <source>%n more camera files are not listed: %1</source>
        <translation>
            <numerusform>%n more camera file is not listed: %1</numerusform>
            <numerusform>%n more camera files are not listed: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ThumbnailWork</name>
    <message numerus="yes">
        <source>%n of the %1 pictures could not be read or saved.
%2</source>
        <translation>
            <numerusform>%n of the %1 pictures could not be read or saved.
%2</numerusform>
            <numerusform>%n of the %1 pictures could not be read or saved.
%2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>progressEdit</name>
    <message numerus="yes">
        <source>%1 of %n files</source>
        <translation>
            <numerusform>%1 of %n file</numerusform>
            <numerusform>%1 of %n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second(s) left</source>
        <translation>
            <numerusform>%n second left</numerusform>
            <numerusform>%n seconds left</numerusform>
        </translation>
    </message>
</context>
</TS>
