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
        <translation>Fit the curve's coefficients to the data</translation>
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
</context>
</TS>
