<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="ru">
<context>
    <name>ParameterFile</name>
    <message numerus="yes">
        <source>нужен список из %n записей</source>
        <translation>
            <numerusform>нужен список из %n записи</numerusform>
            <numerusform>нужен список из %n записей</numerusform>
            <numerusform>нужен список из %n записей</numerusform>
        </translation>
    </message>
</context>
</TS>
