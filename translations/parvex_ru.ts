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
<context>
    <name>TSiteWindow</name>
    <message numerus="yes">
        <source>Линий: %n</source>
        <translation>
            <numerusform>Линий: %n</numerusform>
            <numerusform>Линий: %n</numerusform>
            <numerusform>Линий: %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TSiteWords</name>
    <message numerus="yes">
        <source>отличается: %n поле</source>
        <translation>
            <numerusform>отличается: %n поле</numerusform>
            <numerusform>отличается: %n поля</numerusform>
            <numerusform>отличается: %n полей</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Считывателей: %n</source>
        <translation>
            <numerusform>Считывателей: %n</numerusform>
            <numerusform>Считывателей: %n</numerusform>
            <numerusform>Считывателей: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n считывателей</source>
        <translation>
            <numerusform>%n считыватель</numerusform>
            <numerusform>%n считывателя</numerusform>
            <numerusform>%n считывателей</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n линиях</source>
        <translation>
            <numerusform>%n линии</numerusform>
            <numerusform>%n линиях</numerusform>
            <numerusform>%n линиях</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>часы будут переведены назад на %n день</source>
        <translation>
            <numerusform>часы будут переведены назад на %n день</numerusform>
            <numerusform>часы будут переведены назад на %n дня</numerusform>
            <numerusform>часы будут переведены назад на %n дней</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>часы отстают на %n день</source>
        <translation>
            <numerusform>часы отстают на %n день</numerusform>
            <numerusform>часы отстают на %n дня</numerusform>
            <numerusform>часы отстают на %n дней</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>часы спешат на %n день</source>
        <translation>
            <numerusform>часы спешат на %n день</numerusform>
            <numerusform>часы спешат на %n дня</numerusform>
            <numerusform>часы спешат на %n дней</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Часы %n считывателя будут переведены назад</source>
        <translation>
            <numerusform>Часы %n считывателя будут переведены назад</numerusform>
            <numerusform>Часы %n считывателей будут переведены назад</numerusform>
            <numerusform>Часы %n считывателей будут переведены назад</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n день</source>
        <translation>
            <numerusform>%n день</numerusform>
            <numerusform>%n дня</numerusform>
            <numerusform>%n дней</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Оборванная последняя строка журнала (%n байт) отрезана.</source>
        <translation>
            <numerusform>Оборванная последняя строка журнала (%n байт) отрезана.</numerusform>
            <numerusform>Оборванная последняя строка журнала (%n байта) отрезана.</numerusform>
            <numerusform>Оборванная последняя строка журнала (%n байт) отрезана.</numerusform>
        </translation>
    </message>
</context>
</TS>
