<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CleverTableWidget</name>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>左对齐</source>
        <translation>Align Left</translation>
    </message>
    <message>
        <source>右对齐</source>
        <translation>Align Right</translation>
    </message>
    <message>
        <source>居中对齐</source>
        <translation>Align Center</translation>
    </message>
    <message>
        <source>高亮</source>
        <translation>Highlight</translation>
    </message>
    <message>
        <source>取消高亮</source>
        <translation>Remove Highlight</translation>
    </message>
    <message>
        <source>加粗</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>取消加粗</source>
        <translation>Remove Bold</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move Up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move Down</translation>
    </message>
    <message>
        <source>左移</source>
        <translation>Move Left</translation>
    </message>
    <message>
        <source>右移</source>
        <translation>Move Right</translation>
    </message>
    <message>
        <source>列升序</source>
        <translation>Sort Column Ascending</translation>
    </message>
    <message>
        <source>列降序</source>
        <translation>Sort Column Descending</translation>
    </message>
    <message>
        <source>列逆序</source>
        <translation>Reverse Column</translation>
    </message>
    <message>
        <source>粘贴替换列</source>
        <translation>Paste Into Column</translation>
    </message>
    <message>
        <source>上浮数字</source>
        <translation>Float Numbers Up</translation>
    </message>
    <message>
        <source>设置数字格式</source>
        <translation>Number Format</translation>
    </message>
    <message>
        <source>拓展公式</source>
        <translation>Expand Formula</translation>
    </message>
    <message>
        <source>列表转置</source>
        <translation>Transpose</translation>
    </message>
    <message>
        <source>设置列标题</source>
        <translation>Set Column Title</translation>
    </message>
    <message>
        <source>请输入第%s列标题</source>
        <translation>Enter the title of column %s</translation>
    </message>
    <message>
        <source>设置行标题</source>
        <translation>Set Row Title</translation>
    </message>
    <message>
        <source>请输入第%s行标题</source>
        <translation>Enter the title of row %s</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>只能选择一列进行粘贴替换操作</source>
        <translation>Select exactly one column to paste into</translation>
    </message>
    <message>
        <source>粘贴数据中不包含有效数字字符</source>
        <translation>The pasted text holds no numbers</translation>
    </message>
    <message>
        <source>对齐方式</source>
        <translation>Alignment</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>移动单元格</source>
        <translation>Move Cells</translation>
    </message>
    <message>
        <source>已到达顶部，无法向上移动</source>
        <translation>Already at the top; cannot move up</translation>
    </message>
    <message>
        <source>已到达最左侧，无法向左移动</source>
        <translation>Already at the left edge; cannot move left</translation>
    </message>
    <message>
        <source>表格为空，无法进行转置操作</source>
        <translation>The table is empty; nothing to transpose</translation>
    </message>
    <message>
        <source>加载错误</source>
        <translation>Load Error</translation>
    </message>
    <message>
        <source>CSV文件没有内容</source>
        <translation>The CSV file has no content</translation>
    </message>
    <message>
        <source>Excel文件没有内容</source>
        <translation>The Excel file has no content</translation>
    </message>
    <message>
        <source>保存错误</source>
        <translation>Save Error</translation>
    </message>
    <message>
        <source>保存成功</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>选择工作表</source>
        <translation>Choose Sheet</translation>
    </message>
    <message>
        <source>请选择要加载的工作表:</source>
        <translation>Choose the sheet to load:</translation>
    </message>
    <message>
        <source>粘贴数据超出表格大小上限，无法粘贴</source>
        <translation>The pasted data exceeds the table&apos;s size limits; nothing was pasted.</translation>
    </message>
    <message>
        <source>粘贴数据行数超出表格大小上限，无法替换列</source>
        <translation>The pasted numbers need more rows than the table allows; the column was not replaced.</translation>
    </message>
    <message>
        <source>表格过大，无法进行转置操作</source>
        <translation>The table is too large to transpose.</translation>
    </message>
    <message>
        <source>加载文件失败

%1</source>
        <translation>Loading the file failed

%1</translation>
    </message>
    <message>
        <source>保存文件时出现错误

%1</source>
        <translation>An error occurred while saving the file

%1</translation>
    </message>
    <message>
        <source>文件已保存至：%1</source>
        <translation>File saved to: %1</translation>
    </message>
    <message>
        <source>操作后表格的非空单元格将超过%1个，无法执行该操作</source>
        <translation>After this command the grid would hold more than %1 filled cells; it was not carried out</translation>
    </message>
    <message>
        <source>操作后表格单元格的文字将超过%1个字符，无法执行该操作</source>
        <translation>After this the cells of the grid would hold more than %1 characters of text; it was not carried out</translation>
    </message>
</context>
<context>
    <name>DeleteInsertDialog</name>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>右侧单元格左移(L)</source>
        <translation>Shift cells left (L)</translation>
    </message>
    <message>
        <source>下方单元格上移(U)</source>
        <translation>Shift cells up (U)</translation>
    </message>
    <message>
        <source>整行(R)</source>
        <translation>Entire row (R)</translation>
    </message>
    <message>
        <source>整列(C)</source>
        <translation>Entire column (C)</translation>
    </message>
    <message>
        <source>活动单元格右移(R)</source>
        <translation>Shift cells right (R)</translation>
    </message>
    <message>
        <source>活动单元格下移(D)</source>
        <translation>Shift cells down (D)</translation>
    </message>
</context>
<context>
    <name>FormatDialog</name>
    <message>
        <source>设置数字格式</source>
        <translation>Number Format</translation>
    </message>
    <message>
        <source>使用科学计数法</source>
        <translation>Scientific notation</translation>
    </message>
    <message>
        <source>清除格式</source>
        <translation>Clear Format</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>小数点位数:</source>
        <translation>Decimal places:</translation>
    </message>
</context>
<context>
    <name>FormulaExpander</name>
    <message>
        <source>应用拓展公式</source>
        <translation>Expand Formula</translation>
    </message>
    <message>
        <source>基准单元格:</source>
        <translation>Base cell:</translation>
    </message>
    <message>
        <source>基准公式:</source>
        <translation>Base formula:</translation>
    </message>
    <message>
        <source>范围:</source>
        <translation>Range:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TestUsingSheetGrid</name>
    <message>
        <source>Test Using CleverTableWidget</source>
        <translation>Test Using CleverTableWidget</translation>
    </message>
</context>
<context>
    <name>Widget</name>
    <message>
        <source>Widget</source>
        <translation>Widget</translation>
    </message>
    <message>
        <source>根据散点数据拟合函数曲线</source>
        <translation>Fit a function curve to scattered data</translation>
    </message>
    <message>
        <source>更改界面主题风格</source>
        <translation>Change the interface theme</translation>
    </message>
    <message>
        <source>主题</source>
        <translation>Theme</translation>
    </message>
    <message>
        <source>关于本软件...</source>
        <translation>About this software...</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>输入</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>从文件加载数据</source>
        <translation>Load data from a file</translation>
    </message>
    <message>
        <source>加载</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>保存数据到文件</source>
        <translation>Save data to a file</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>刷新表格并初始化X轴和Y轴数据</source>
        <translation>Refresh the table and read the X and Y data</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>X轴数据(列)</source>
        <translation>X data (column)</translation>
    </message>
    <message>
        <source>选择作为X轴数据输入的列</source>
        <translation>Choose the column that holds the X data</translation>
    </message>
    <message>
        <source>Y轴数据(列)</source>
        <translation>Y data (column)</translation>
    </message>
    <message>
        <source>选择作为Y轴数据输入的列</source>
        <translation>Choose the column that holds the Y data</translation>
    </message>
    <message>
        <source>输入单元格坐标</source>
        <translation>Cell being edited</translation>
    </message>
    <message>
        <source>输入框</source>
        <translation>Input box</translation>
    </message>
    <message>
        <source>展开输入框</source>
        <translation>Expand the input box</translation>
    </message>
    <message>
        <source>展开</source>
        <translation>Expand</translation>
    </message>
    <message>
        <source>绘图</source>
        <translation>Plot</translation>
    </message>
    <message>
        <source>X轴</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>显示轴标题</source>
        <translation>Show axis title</translation>
    </message>
    <message>
        <source>输入X轴标题</source>
        <translation>Enter the X axis title</translation>
    </message>
    <message>
        <source>小数位数</source>
        <translation>Decimals</translation>
    </message>
    <message>
        <source>X轴数据及绘图坐标数字显示的小数位数</source>
        <translation>Decimals of the X data and axis labels</translation>
    </message>
    <message>
        <source>X轴数据及绘图坐标是否采用科学计数法</source>
        <translation>Scientific notation for the X data and axis labels</translation>
    </message>
    <message>
        <source>科学记数法</source>
        <translation>Scientific</translation>
    </message>
    <message>
        <source>Y轴</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>输入Y轴标题</source>
        <translation>Enter the Y axis title</translation>
    </message>
    <message>
        <source>Y轴数据及绘图坐标数字显示的小数位数</source>
        <translation>Decimals of the Y data and axis labels</translation>
    </message>
    <message>
        <source>Y轴数据及绘图坐标是否采用科学计数法</source>
        <translation>Scientific notation for the Y data and axis labels</translation>
    </message>
    <message>
        <source>是否在绘图中显示标题</source>
        <translation>Show the title in the chart</translation>
    </message>
    <message>
        <source>显示图表标题</source>
        <translation>Show chart title</translation>
    </message>
    <message>
        <source>输入图表标题</source>
        <translation>Enter the chart title</translation>
    </message>
    <message>
        <source>是否显示图例标签</source>
        <translation>Show the legend</translation>
    </message>
    <message>
        <source>显示图例</source>
        <translation>Show legend</translation>
    </message>
    <message>
        <source>刷新绘图显示</source>
        <translation>Redraw the chart</translation>
    </message>
    <message>
        <source>设置绘图参数</source>
        <translation>Chart Settings</translation>
    </message>
    <message>
        <source>设置绘图</source>
        <translation>Chart Settings</translation>
    </message>
    <message>
        <source>设置绘图区域大小</source>
        <translation>Set the chart size</translation>
    </message>
    <message>
        <source>设置大小</source>
        <translation>Set Size</translation>
    </message>
    <message>
        <source>自适应绘图区域大小</source>
        <translation>Fit the chart to the plot area</translation>
    </message>
    <message>
        <source>自适应大小</source>
        <translation>Fit to View</translation>
    </message>
    <message>
        <source>保存图片</source>
        <translation>Save Image</translation>
    </message>
    <message>
        <source>复制图片到剪贴板</source>
        <translation>Copy the image to the clipboard</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>方法</source>
        <translation>Method</translation>
    </message>
    <message>
        <source>选择拟合的函数类型</source>
        <translation>Choose the kind of function to fit</translation>
    </message>
    <message>
        <source>多项式</source>
        <translation>Polynomial</translation>
    </message>
    <message>
        <source>指数</source>
        <translation>Exponential</translation>
    </message>
    <message>
        <source>对数</source>
        <translation>Logarithmic</translation>
    </message>
    <message>
        <source>乘幂</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>自定义表达式，支持简单函数</source>
        <translation>Custom expression; simple functions are supported</translation>
    </message>
    <message>
        <source>多项式次数</source>
        <translation>Degree</translation>
    </message>
    <message>
        <source>输入多项式函数的次数，最小次数为1</source>
        <translation>Degree of the polynomial, at least 1</translation>
    </message>
    <message>
        <source>设置截距</source>
        <translation>Fix intercept</translation>
    </message>
    <message>
        <source>输入截距数值</source>
        <translation>Enter the intercept</translation>
    </message>
    <message>
        <source>X点</source>
        <translation>X value</translation>
    </message>
    <message>
        <source>给定X值</source>
        <translation>Given X</translation>
    </message>
    <message>
        <source>根据给定的X值计算Y值</source>
        <translation>Calculate Y from the given X</translation>
    </message>
    <message>
        <source>计算Y值</source>
        <translation>Calculate Y</translation>
    </message>
    <message>
        <source>根据给定的X值计算Y值结果</source>
        <translation>Y calculated from the given X</translation>
    </message>
    <message>
        <source>输出系数的小数位数</source>
        <translation>Decimals of the coefficients</translation>
    </message>
    <message>
        <source>输出系数是否采用科学计数法</source>
        <translation>Scientific notation for the coefficients</translation>
    </message>
    <message>
        <source>根据输入散点数据计算拟合曲线的系数</source>
        <translation>Fit the curve&apos;s coefficients to the data</translation>
    </message>
    <message>
        <source>计算系数</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>是否对拟合曲线进行细化</source>
        <translation>Refine the fitted curve</translation>
    </message>
    <message>
        <source>曲线细化</source>
        <translation>Refine curve</translation>
    </message>
    <message>
        <source>细化等级n，原X轴范围按10^n分割</source>
        <translation>Refinement level n: the X range is split into 10^n points</translation>
    </message>
    <message>
        <source>更新绘图显示并添加拟合的函数曲线</source>
        <translation>Redraw the chart with the fitted curve</translation>
    </message>
    <message>
        <source>更新曲线</source>
        <translation>Draw Curve</translation>
    </message>
    <message>
        <source>Y点</source>
        <translation>Y value</translation>
    </message>
    <message>
        <source>给定Y值</source>
        <translation>Given Y</translation>
    </message>
    <message>
        <source>根据给定的Y值计算X值</source>
        <translation>Calculate X from the given Y</translation>
    </message>
    <message>
        <source>计算X值</source>
        <translation>Calculate X</translation>
    </message>
    <message>
        <source>根据给定的Y值计算X值结果</source>
        <translation>X calculated from the given Y</translation>
    </message>
    <message>
        <source>拟合函数曲线</source>
        <translation>Curve Fitting</translation>
    </message>
    <message>
        <source>Data Series</source>
        <translation>Data Series</translation>
    </message>
    <message>
        <source>Fitted Curve</source>
        <translation>Fitted Curve</translation>
    </message>
    <message>
        <source>输入错误</source>
        <translation>Input Error</translation>
    </message>
    <message>
        <source>请先输入X轴和Y轴数据</source>
        <translation>Please enter the X and Y data first</translation>
    </message>
    <message>
        <source>X轴和Y轴数据长度不一致</source>
        <translation>The X and Y data differ in length</translation>
    </message>
    <message>
        <source>图表标题不能为空</source>
        <translation>The chart title must not be empty</translation>
    </message>
    <message>
        <source>数据中含有无效数值（NaN 或无穷大），无法绘图</source>
        <translation>The data hold invalid values (NaN or infinity); nothing can be drawn</translation>
    </message>
    <message>
        <source>第{}列 : {}</source>
        <translation>Column {} : {}</translation>
    </message>
    <message>
        <source>操作错误</source>
        <translation>Operation Error</translation>
    </message>
    <message>
        <source>选择的行无效</source>
        <translation>The selected rows are invalid</translation>
    </message>
    <message>
        <source>选择的列无效</source>
        <translation>The selected columns are invalid</translation>
    </message>
    <message>
        <source>请先进行拟合</source>
        <translation>Please fit first</translation>
    </message>
    <message>
        <source>请输入有效的数字</source>
        <translation>Please enter a valid number</translation>
    </message>
    <message>
        <source>解不存在</source>
        <translation>No solution exists</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>细化等级过大，无法绘制</source>
        <translation>The refinement level is too high to draw</translation>
    </message>
    <message>
        <source>细化等级太小可能导致进程假死！</source>
        <translation>A high refinement level may make the program stop responding!</translation>
    </message>
    <message>
        <source>关于本程序</source>
        <translation>About This Program</translation>
    </message>
    <message>
        <source>...声明...
</source>
        <translation>...Notice...
</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Qt版本信息</source>
        <translation>About Qt</translation>
    </message>
    <message>
        <source>Qt版本: </source>
        <translation>Qt version: </translation>
    </message>
    <message>
        <source>选择主题风格</source>
        <translation>Choose Theme</translation>
    </message>
    <message>
        <source>选择主题:</source>
        <translation>Theme:</translation>
    </message>
    <message>
        <source>选择颜色:</source>
        <translation>Colour scheme:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>保存绘图</source>
        <translation>Save Chart</translation>
    </message>
    <message>
        <source>SVG Files (*.svg);;PNG Files (*.png);;All Files (*)</source>
        <translation>SVG Files (*.svg);;PNG Files (*.png);;All Files (*)</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save Failed</translation>
    </message>
    <message>
        <source>不支持的文件格式</source>
        <translation>Unsupported file format</translation>
    </message>
    <message>
        <source>保存成功</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>选择图片格式</source>
        <translation>Choose Image Format</translation>
    </message>
    <message>
        <source>位图格式</source>
        <translation>Bitmap</translation>
    </message>
    <message>
        <source>矢量格式(SVG)</source>
        <translation>Vector (SVG)</translation>
    </message>
    <message>
        <source>CSV Files (*.csv);;Excel Files (*.xlsx);;Excel 97-2003 Files (*.xls);;All Files (*)</source>
        <translation>CSV Files (*.csv);;Excel Files (*.xlsx);;Excel 97-2003 Files (*.xls);;All Files (*)</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>加载失败</source>
        <translation>Load Failed</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>因变量必须大于0</source>
        <translation>The dependent variable must be greater than 0</translation>
    </message>
    <message>
        <source>截距必须输入数字</source>
        <translation>The intercept must be a number</translation>
    </message>
    <message>
        <source>截距必须大于0</source>
        <translation>The intercept must be greater than 0</translation>
    </message>
    <message>
        <source>自变量必须大于0</source>
        <translation>The independent variable must be greater than 0</translation>
    </message>
    <message>
        <source>请先输入自定义函数</source>
        <translation>Please enter a custom function first</translation>
    </message>
    <message>
        <source>初始化错误</source>
        <translation>Initialisation Error</translation>
    </message>
    <message>
        <source>拟合错误</source>
        <translation>Fit Error</translation>
    </message>
    <message>
        <source>折叠</source>
        <translation>Collapse</translation>
    </message>
    <message>
        <source>折叠输入框</source>
        <translation>Collapse the input box</translation>
    </message>
    <message>
        <source>实线</source>
        <translation>Solid</translation>
    </message>
    <message>
        <source>虚线</source>
        <translation>Dashed</translation>
    </message>
    <message>
        <source>点线</source>
        <translation>Dotted</translation>
    </message>
    <message>
        <source>点划线</source>
        <translation>Dash-dot</translation>
    </message>
    <message>
        <source>双点划线</source>
        <translation>Dash-dot-dot</translation>
    </message>
    <message>
        <source>数据曲线标签:</source>
        <translation>Data series label:</translation>
    </message>
    <message>
        <source>选择颜色</source>
        <translation>Choose Colour</translation>
    </message>
    <message>
        <source>数据曲线颜色:</source>
        <translation>Data series colour:</translation>
    </message>
    <message>
        <source>数据曲线尺寸:</source>
        <translation>Data series width:</translation>
    </message>
    <message>
        <source>数据曲线线型:</source>
        <translation>Data series style:</translation>
    </message>
    <message>
        <source>拟合曲线标签:</source>
        <translation>Fitted curve label:</translation>
    </message>
    <message>
        <source>拟合曲线颜色:</source>
        <translation>Fitted curve colour:</translation>
    </message>
    <message>
        <source>拟合曲线尺寸:</source>
        <translation>Fitted curve width:</translation>
    </message>
    <message>
        <source>拟合曲线线型:</source>
        <translation>Fitted curve style:</translation>
    </message>
    <message>
        <source>选择绘图数据颜色</source>
        <translation>Choose the data series colour</translation>
    </message>
    <message>
        <source>选择拟合曲线颜色</source>
        <translation>Choose the fitted curve colour</translation>
    </message>
    <message>
        <source>设置绘图大小</source>
        <translation>Chart Size</translation>
    </message>
    <message>
        <source>宽度:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>高度:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>图表保存失败：%1</source>
        <translation>Saving the chart failed: %1</translation>
    </message>
    <message>
        <source>图表已保存为 %1</source>
        <translation>Chart saved as %1</translation>
    </message>
    <message>
        <source>初始化失败，请检查输入数据

%1</source>
        <translation>Initialisation failed; please check the input data

%1</translation>
    </message>
    <message>
        <source>拟合失败，请检查输入数据

%1</source>
        <translation>The fit failed; please check the input data

%1</translation>
    </message>
</context>
</TS>
